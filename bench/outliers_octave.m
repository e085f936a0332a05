% Times plorvent_hampel (K = (w-1)/2 on each side) and plorvent_isoutlier (window w), each with
% one output and with all of them, against plorvent_movmedian (window w) on n random doubles, one
% after another in this one run, on the threads nproc() gives (OMP_NUM_THREADS sets them), and
% prints a markdown table of the times and their ratios to plorvent_movmedian.
% Usage: octave-cli outliers_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();

function y = hampel_all(x, h)
  [y, j, xmedian, xsigma] = plorvent_hampel(x, h);
end

function TF = isoutlier_all(x, w)
  [TF, L, U, C] = plorvent_isoutlier(x, 'movmedian', w);
end

rand('seed', 9);
x = rand(n, 1);
load = fileread('/proc/loadavg');
printf('Load average (1, 5, 15 min) at the start: %s\n', strjoin(strsplit(load)(1:3), ', '));
printf(['n = %d uniform doubles, %d threads, best of %d. Ratios to movmedian at the same w; ', ...
        'the target: each within 2.5x.\n\n'], n, nproc(), repeats);
printf(['| w | movmedian (s) | hampel, 1 output | hampel, 4 outputs | isoutlier, 1 output | ', ...
        'isoutlier, 4 outputs | all within 2.5x |\n|---:|---:|---:|---:|---:|---:|:---:|\n']);
for w = [3 7 11 31 101 1001 10001]
  h = (w - 1) / 2;
  median_time = best_of(repeats, @() plorvent_movmedian(x, w));
  times = [best_of(repeats, @() plorvent_hampel(x, h)), ...
           best_of(repeats, @() hampel_all(x, h)), ...
           best_of(repeats, @() plorvent_isoutlier(x, 'movmedian', w)), ...
           best_of(repeats, @() isoutlier_all(x, w))];
  verdicts = {'missed', 'met'};
  printf('| %d | %.4f | %.2fx | %.2fx | %.2fx | %.2fx | %s |\n', w, median_time, ...
         times / median_time, verdicts{1 + all(times <= 2.5 * median_time)});
end
