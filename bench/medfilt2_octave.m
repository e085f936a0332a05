% Times plorvent_medfilt2 on an N-by-N image (uint8, uint16, single, double) for square windows of 3 to
% 51, on one worker thread and on two; on adversarial images (a checkerboard of two levels, two
% levels at random, a sawtooth ramp rising down the columns) beside the uniform one; and Octave's image
% package medfilt2 beside it on the same image where it takes less than a minute (double 3x3,
% 7x7, 15x15; uint8 3x3). Prints markdown tables of nanoseconds a pixel.
% Usage: octave-cli medfilt2_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
pkg load image

rand('seed', 27);
images = struct('uint8', uint8(255 * rand(n)), 'uint16', uint16(65535 * rand(n)), ...
                'single', single(rand(n)), 'double', rand(n));
pixels = n * n;
ns = @(seconds) 1e9 * seconds / pixels;
% Two decimals below 10 ns, where the targets lie within tenths of a nanosecond.
shown = @(v) sprintf('%.*f', 1 + (v < 10), v);
printf('## plorvent_medfilt2 (%d x %d, ''zeros''), ns a pixel\n\n', n, n);
printf('| class | window | 1 thread | 2 threads | 1 / 2 threads |\n|---|---:|---:|---:|---:|\n');
for c = {'uint8', 'uint16', 'single', 'double'}
  A = images.(c{1});
  for m = [3 5 7 15 31 51]
    times = zeros(1, 2);
    for threads = 1:2
      % A long call is timed once: the best of several only for the short ones.
      r = repeats;
      if m >= 31
        r = 1;
      end
      times(threads) = best_of(r, @() plorvent_medfilt2(A, [m m], 'Threads', threads));
    end
    printf('| %s | %dx%d | %s | %s | %.2f |\n', c{1}, m, m, shown(ns(times(1))), shown(ns(times(2))), ...
           times(1) / times(2));
  end
end
printf('\n## Adversarial images against the uniform one (uint8, one thread), ns a pixel\n\n');
[i, j] = ndgrid(1:n);
shapes = {'uniform', images.uint8; 'checkerboard', uint8(255 * mod(i + j, 2)); ...
          'two levels at random', uint8(255 * (rand(n) < 0.5)); 'sawtooth ramp', uint8(mod(i + n * (j - 1), 256))};
printf('| image | 5x5 | 15x15 | 31x31 |\n|---|---:|---:|---:|\n');
for s = 1:rows(shapes)
  t = arrayfun(@(m) best_of(1, @() plorvent_medfilt2(shapes{s, 2}, [m m], 'Threads', 1)), [5 15 31]);
  printf('| %s | %.1f | %.1f | %.1f |\n', shapes{s, 1}, ns(t(1)), ns(t(2)), ns(t(3)));
end
printf('\n## Against Octave''s medfilt2 (image package), one thread, ns a pixel\n\n');
printf('| class | window | medfilt2 | plorvent_medfilt2 | medfilt2 / ours |\n|---|---:|---:|---:|---:|\n');
for row = {'double', 3; 'double', 7; 'double', 15; 'uint8', 3}'
  [c, m] = row{:};
  A = images.(c);
  theirs = best_of(1, @() medfilt2(A, [m m]));
  ours = best_of(repeats, @() plorvent_medfilt2(A, [m m], 'Threads', 1));
  printf('| %s | %dx%d | %.1f | %s | %.1f |\n', c, m, m, ns(theirs), shown(ns(ours)), theirs / ours);
end
