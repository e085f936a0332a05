% Times the statistics of long whole windows on n uniform random doubles, one worker thread:
% plorvent_movmedian on an odd window of k samples (the fixed-window engines) beside the median
% of k+1 samples and the quantiles at p = 0.25 and 0.9 of k samples; then, with 1% of the samples
% NaN (which count: every window holding one is NaN), the median of k+1 samples and the MAD of k.
% Prints a markdown table of seconds a call, the best of REPEATS, and the first three against the
% odd median.
% Usage: octave-cli whole_windows_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
rand('seed', 11);
x = rand(n, 1);
holed = x;
holed(randperm(n, round(n / 100))) = NaN;
setenv('OMP_NUM_THREADS', '1');
printf('## Long whole windows (n = %d, 1 thread)\n\n', n);
printf('| k | median k | median k+1 | / median k | quantile 0.25 | / median k | quantile 0.9 | / median k | k+1, 1%% NaN | MAD, 1%% NaN |\n');
printf('|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n');
for k = [101 1001 10001]
  odd = best_of(repeats, @() plorvent_movmedian(x, k));
  even = best_of(repeats, @() plorvent_movmedian(x, k + 1));
  low = best_of(repeats, @() plorvent_movquantile(x, 0.25, k));
  high = best_of(repeats, @() plorvent_movquantile(x, 0.9, k));
  nan_even = best_of(repeats, @() plorvent_movmedian(holed, k + 1));
  nan_mad = best_of(repeats, @() plorvent_movmad(holed, k));
  printf('| %d | %.4f | %.4f | %.2f | %.4f | %.2f | %.4f | %.2f | %.4f | %.4f |\n', k, odd, ...
         even, even / odd, low, low / odd, high, high / odd, nan_even, nan_mad);
end
