% Times plorvent_medfilt2 on an N-by-N image of 16-bit and double samples for square windows of
% 9 to 51, on one worker thread: uniform noise, two levels at random (the rank jumps between the
% ends of the range) and a smooth ramp with a little noise (the rank moves a few steps an
% output). Prints a markdown table of nanoseconds a pixel.
% Usage: octave-cli medfilt2_large_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
rand('seed', 27);
[i, j] = ndgrid(1:n);
images = {'uniform', 65535 * rand(n); 'two levels', 60000 * (rand(n) < 0.5); ...
          'ramp', mod(37 * i + 11 * j, 65000) + 8 * rand(n)};
sizes = [9 15 31 51];
ns = @(seconds) 1e9 * seconds / (n * n);
printf('## plorvent_medfilt2, large windows (%d x %d, one thread), ns a pixel\n\n', n, n);
printf('| class | image |%s\n|---|---|%s\n', sprintf(' %dx%d |', [sizes; sizes]), ...
       repmat('---:|', 1, numel(sizes)));
for c = {'uint16', 'double'}
  for s = 1:rows(images)
    A = cast(images{s, 2}, c{1});
    t = arrayfun(@(m) best_of(repeats, @() plorvent_medfilt2(A, [m m], 'Threads', 1)), sizes);
    printf('| %s | %s |%s\n', c{1}, images{s, 1}, sprintf(' %.1f |', ns(t)));
  end
end
