% Times plorvent (the plorvent_filter module behind it) against plorvent_core with zero
% extensions and the signal package's medfilt1, on n random doubles, clean and with 1% of the
% samples NaN, on one thread; then plorvent on 10*n samples with 1 and with 2 threads. Prints a
% markdown table of the best of REPEATS calls each (seconds) and the ratios.
% Usage: octave-cli plorvent_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
pkg load signal

rand('seed', 5);
x = rand(n, 1);
dropouts = x;
dropouts(rand(n, 1) < 0.01) = NaN;
printf('| w | plorvent | plorvent_core | medfilt1 | plorvent, 1%% NaN | medfilt1, 1%% NaN | ');
printf('plorvent / core | medfilt1 / plorvent | NaN / clean |\n');
printf('|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n');
for w = [3 11 101 1001 10001]
  h = (w - 1) / 2;
  ours = best_of(repeats, @() plorvent(x, w, 'Threads', 1));
  core = best_of(repeats, @() plorvent_core(x, zeros(h, 1), zeros(h, 1), h));
  medfilt = best_of(repeats, @() medfilt1(x, w));
  ours_nan = best_of(repeats, @() plorvent(dropouts, w, 'Threads', 1));
  medfilt_nan = best_of(repeats, @() medfilt1(dropouts, w));
  printf('| %d | %.4f | %.4f | %.4f | %.4f | %.4f | %.2f | %.2f | %.2f |\n', w, ours, core, ...
         medfilt, ours_nan, medfilt_nan, ours / core, medfilt / ours, ours_nan / ours);
end

long = rand(10 * n, 1);
one = best_of(repeats, @() plorvent(long, 101, 'Threads', 1));
two = best_of(repeats, @() plorvent(long, 101, 'Threads', 2));
printf('\n| n | w | 1 thread | 2 threads | speed-up |\n|---:|---:|---:|---:|---:|\n');
printf('| %d | 101 | %.4f | %.4f | %.2f |\n', 10 * n, one, two, one / two);
