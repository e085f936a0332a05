% Times plorvent_medfilt2 and plorvent_ordfilt2 on an N-by-N image of uniform noise (uint8, uint16,
% single, double) for 3x3 windows at three ranks, beside the 1x3 and 3x5 medians, on one worker
% thread. Prints a markdown table of nanoseconds a pixel.
% Usage: octave-cli medfilt2_3x3_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
rand('seed', 27);
images = {'uint8', uint8(255 * rand(n)); 'uint16', uint16(65535 * rand(n)); ...
          'single', single(rand(n)); 'double', rand(n)};
ns = @(seconds) 1e9 * seconds / (n * n);
printf('| class | medfilt2 3x3 | ordfilt2 1 | ordfilt2 7 | medfilt2 1x3 | medfilt2 3x5 |\n');
printf('|---|---:|---:|---:|---:|---:|\n');
for c = 1:rows(images)
  A = images{c, 2};
  t = [best_of(repeats, @() plorvent_medfilt2(A, [3 3], 'Threads', 1)), ...
       best_of(repeats, @() plorvent_ordfilt2(A, 1, true(3), 'Threads', 1)), ...
       best_of(repeats, @() plorvent_ordfilt2(A, 7, true(3), 'Threads', 1)), ...
       best_of(repeats, @() plorvent_medfilt2(A, [1 3], 'Threads', 1)), ...
       best_of(repeats, @() plorvent_medfilt2(A, [3 5], 'Threads', 1))];
  printf('| %s |%s\n', images{c, 1}, sprintf(' %.2f |', ns(t)));
end
