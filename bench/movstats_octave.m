% Times plorvent_movquantile (p = 0.9, the default method) and plorvent_movmad against
% plorvent_movmedian on n uniform random doubles for windows of 3 to 10001 samples, each k's
% three calls one after another, on one worker thread and on the host's count; then
% plorvent_movmad against Octave's movmad (the mean absolute deviation, but the same windows) at
% k = 101. Prints markdown tables.
% Usage: octave-cli movstats_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();

rand('seed', 5);
x = rand(n, 1);
% The worker threads follow nproc, which OMP_NUM_THREADS sets.
host = nproc();
for threads = unique([1 host])
  setenv('OMP_NUM_THREADS', num2str(threads));
  printf('## Against plorvent_movmedian (n = %d, %d threads)\n\n', n, nproc());
  printf('| k | movmedian | movquantile p = 0.9 | quantile / median | movmad | mad / median |\n');
  printf('|---:|---:|---:|---:|---:|---:|\n');
  for k = [3 7 11 31 101 1001 10001]
    median_time = best_of(repeats, @() plorvent_movmedian(x, k));
    quantile_time = best_of(repeats, @() plorvent_movquantile(x, 0.9, k));
    mad_time = best_of(repeats, @() plorvent_movmad(x, k));
    printf('| %d | %.4f | %.4f | %.2f | %.4f | %.2f |\n', k, median_time, quantile_time, ...
           quantile_time / median_time, mad_time, mad_time / median_time);
  end
  printf('\n');
end
setenv('OMP_NUM_THREADS', num2str(host));

printf('## Against Octave''s movmad (k = 101)\n\n');
theirs = best_of(1, @() movmad(x, 101));
ours = best_of(repeats, @() plorvent_movmad(x, 101));
printf('| movmad | plorvent_movmad | movmad / ours |\n|---:|---:|---:|\n');
printf('| %.4f | %.4f | %.1f |\n', theirs, ours, theirs / ours);
