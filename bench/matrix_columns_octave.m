% Times long windows down the columns of a matrix, where the windows at each column's ends (those
% shrunk to what they hold of the signal) are a tenth of the outputs: plorvent_movmedian on odd
% and even windows and plorvent_movquantile (p = 0.25), one worker thread, on a 1000 x 1000 matrix
% at k = 101 and a 10000 x 100 one at k = 1001 of uniform random doubles. Prints a markdown table
% of seconds a call, the best of REPEATS.
% Usage: octave-cli matrix_columns_octave.m MODULE_DIR N REPEATS (N: the matrices' elements)
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
rand('seed', 13);
setenv('OMP_NUM_THREADS', '1');
printf('## Long windows down a matrix''s columns (%d elements, 1 thread)\n\n', n);
printf('| rows x columns | k | median k | median k+1 | quantile 0.25, k |\n');
printf('|---|---:|---:|---:|---:|\n');
for k = [101 1001]
  rows = 10 * (k - 1);
  X = rand(rows, round(n / rows));
  odd = best_of(repeats, @() plorvent_movmedian(X, k));
  even = best_of(repeats, @() plorvent_movmedian(X, k + 1));
  low = best_of(repeats, @() plorvent_movquantile(X, 0.25, k));
  printf('| %d x %d | %d | %.4f | %.4f | %.4f |\n', rows, columns(X), k, odd, even, low);
end
