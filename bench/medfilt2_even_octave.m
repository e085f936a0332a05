% Times plorvent_medfilt2 on an N-by-N image (uint8, uint16, double) for even windows, where the
% median is the mean of two middle values, beside the odd window one larger, on one worker
% thread. Prints a markdown table of nanoseconds a pixel.
% Usage: octave-cli medfilt2_even_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
rand('seed', 27);
images = struct('uint8', uint8(255 * rand(n)), 'uint16', uint16(65535 * rand(n)), 'double', rand(n));
ns = @(seconds) 1e9 * seconds / (n * n);
printf('## plorvent_medfilt2, even windows (%d x %d, one thread), ns a pixel\n\n', n, n);
printf('| class | 2x2 | 4x4 | 5x5 | 6x6 |\n|---|---:|---:|---:|---:|\n');
for c = {'uint8', 'uint16', 'double'}
  A = images.(c{1});
  t = arrayfun(@(m) best_of(repeats, @() plorvent_medfilt2(A, [m m], 'Threads', 1)), [2 4 5 6]);
  printf('| %s | %.1f | %.1f | %.1f | %.1f |\n', c{1}, ns(t(1)), ns(t(2)), ns(t(3)), ns(t(4)));
end
