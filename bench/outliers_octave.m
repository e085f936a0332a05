% Times plorvent_hampel (K = (w-1)/2 on each side) and plorvent_isoutlier (window w) against
% plorvent_movmedian (window w) on n random doubles, one after another in this one run, with the
% module's pass that all of their statistics come from (the MAD and the medians of the windows),
% and prints a markdown table of the times and their ratios to plorvent_movmedian.
% Usage: octave-cli outliers_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();

% The module's pass: each window's MAD and median, NaN omitted, the ends shrinking.
function mad = mad_pass(x, half_width)
  [mad, ~] = plorvent_filter('moving', x, half_width, half_width, 1, 1, 0, 0, [], 0, nproc(), ...
                             'statistic', 'mad');
end

rand('seed', 9);
x = rand(n, 1);
load = fileread('/proc/loadavg');
printf('Load average (1, 5, 15 min) at the start: %s\n', strjoin(strsplit(load)(1:3), ', '));
printf(['n = %d uniform doubles, %d threads. MAD pass: the module''s one pass that gives ', ...
        'each window''s MAD and median. The target: hampel within 3 times movmedian''s ', ...
        'time.\n\n'], n, nproc());
printf(['| w | movmedian | MAD pass | ratio | hampel | ratio | within 3x | isoutlier | ', ...
        'ratio |\n|---:|---:|---:|---:|---:|---:|:---:|---:|---:|\n']);
for w = [3 11 101 1001 10001]
  h = (w - 1) / 2;
  median_time = best_of(repeats, @() plorvent_movmedian(x, w));
  pass_time = best_of(repeats, @() mad_pass(x, h));
  hampel_time = best_of(repeats, @() plorvent_hampel(x, h));
  outlier_time = best_of(repeats, @() plorvent_isoutlier(x, 'movmedian', w));
  verdicts = {'missed', 'met'};
  printf('| %d | %.4f | %.4f | %.2f | %.4f | %.2f | %s | %.4f | %.2f |\n', w, median_time, ...
         pass_time, pass_time / median_time, hampel_time, hampel_time / median_time, ...
         verdicts{1 + (hampel_time <= 3 * median_time)}, outlier_time, ...
         outlier_time / median_time);
end
