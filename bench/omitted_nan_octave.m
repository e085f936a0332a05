% Times the medians and quantiles of whole windows whose NaN are omitted ('omitnan'), on n
% uniform random doubles with 1% of them NaN (nearly every long window holds one) and with 0.01%
% (most do not), one worker thread, beside the median of the same windows free of NaN. Prints a
% markdown table of seconds a call, the best of REPEATS.
% Usage: octave-cli omitted_nan_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
rand('seed', 12);
x = rand(n, 1);
dense = x;
dense(randperm(n, round(n / 100))) = NaN;
sparse_nan = x;
sparse_nan(randperm(n, round(n / 10000))) = NaN;
setenv('OMP_NUM_THREADS', '1');
printf('## Windows with omitted NaN (n = %d, 1 thread)\n\n', n);
printf('| k | median k, no NaN | median k, 1%% | median k+1, 1%% | quantile 0.25, 1%% | median k, 0.01%% |\n');
printf('|---:|---:|---:|---:|---:|---:|\n');
for k = [33 101 1001 10001]
  clean = best_of(repeats, @() plorvent_movmedian(x, k));
  odd = best_of(repeats, @() plorvent_movmedian(dense, k, 'omitnan'));
  even = best_of(repeats, @() plorvent_movmedian(dense, k + 1, 'omitnan'));
  low = best_of(repeats, @() plorvent_movquantile(dense, 0.25, k, 'omitnan'));
  few = best_of(repeats, @() plorvent_movmedian(sparse_nan, k, 'omitnan'));
  printf('| %d | %.4f | %.4f | %.4f | %.4f | %.4f |\n', k, clean, odd, even, low, few);
end
