% Times plorvent_movmad, plorvent_movquantile (p = 0.9), plorvent_hampel (K = (k-1)/2 on each
% side) and plorvent_isoutlier (window k) on n samples of six signals: uniform random values, and
% five that move the MAD's run (and the quantiles' cursors) far from one window to the next. Each
% adversarial time is divided by the same call's time on the uniform values at the same k, timed
% just before it; the target is 3 times at most. Prints a markdown table.
% Usage: octave-cli worst_case_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();

rand('seed', 11);
t = (1:n)';
signals = {'uniform', rand(n, 1);
           'alternating 0/1', double(mod(t, 2));
           'alternating signs', (-1) .^ t .* (1 + rand(n, 1));
           'alternating small/large', rand(n, 1) + 1000 * mod(t, 2);
           'bimodal, random order', rand(n, 1) + 1000 * (rand(n, 1) > 0.5);
           'sorted', t + rand(n, 1)};
calls = {'movmad', @(x, k) plorvent_movmad(x, k);
         'movquantile p = 0.9', @(x, k) plorvent_movquantile(x, 0.9, k);
         'hampel', @(x, k) plorvent_hampel(x, (k - 1) / 2);
         'isoutlier', @(x, k) plorvent_isoutlier(x, 'movmedian', k)};

load = fileread('/proc/loadavg');
printf('Load average (1, 5, 15 min) at the start: %s\n', strjoin(strsplit(load)(1:3), ', '));
printf(['n = %d, %d threads. Each cell: seconds on the signal, and its ratio to the same ', ...
        'call on uniform values at the same k (target: 3 at most).\n\n'], n, nproc());
printf('| function | k | uniform |');
printf(' %s |', signals{2:end, 1});
printf(' worst ratio | within 3x |\n|---|---:|---:|');
printf('%s', repmat('---:|', 1, rows(signals) - 1));
printf('---:|:---:|\n');
for c = 1:rows(calls)
  f = calls{c, 2};
  for k = [11 101 1001 10001 100001]
    uniform = best_of(repeats, @() f(signals{1, 2}, k));
    printf('| %s | %d | %.4f |', calls{c, 1}, k, uniform);
    worst = 0;
    for s = 2:rows(signals)
      time = best_of(repeats, @() f(signals{s, 2}, k));
      worst = max(worst, time / uniform);
      printf(' %.4f (%.2f) |', time, time / uniform);
    end
    verdicts = {'missed', 'met'};
    printf(' %.2f | %s |\n', worst, verdicts{1 + (worst <= 3)});
  end
end
