% Times plorvent_medfilt2 on an N-by-N image of uniform noise (uint8, uint16, double) for the
% small kernels' windows, 3x3 to 7x7, on one worker thread and on two. Prints a markdown table
% of nanoseconds a pixel.
% Usage: octave-cli medfilt2_small_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
rand('seed', 27);
images = {'uint8', uint8(255 * rand(n)); 'uint16', uint16(65535 * rand(n)); 'double', rand(n)};
sizes = [3 5 7];
ns = @(seconds) 1e9 * seconds / (n * n);
printf('## plorvent_medfilt2, small windows (%d x %d), ns a pixel, one thread / two\n\n', n, n);
printf('| class |%s\n|---|%s\n', sprintf(' %dx%d |', [sizes; sizes]), repmat('---:|', 1, numel(sizes)));
for c = 1:rows(images)
  A = images{c, 2};
  cells = '';
  for m = sizes
    t = arrayfun(@(k) best_of(repeats, @() plorvent_medfilt2(A, [m m], 'Threads', k)), 1:2);
    cells = [cells sprintf(' %.2f / %.2f |', ns(t))];
  end
  printf('| %s |%s\n', images{c, 1}, cells);
end
