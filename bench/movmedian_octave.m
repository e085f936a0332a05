% Times plorvent_movmedian and plorvent_medfilt1 against Octave's movmedian and the signal
% package's medfilt1 on n random doubles (clean, and with 1% of the samples NaN), then the
% plorvent_filter module's moving mode against its fixed-window mode, both on one thread, for
% windows the fixed engine serves, even windows and NaN omitted. Prints markdown tables.
% Usage: octave-cli movmedian_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
pkg load signal
warning('off', 'all');  % Octave's movmedian warns that it ignores 'omitnan'

% The moving mode on one thread: windows reaching back and forward, shrinking at the ends.
function y = moving(x, back, forward, omit_nan)
  y = plorvent_filter('moving', x, back, forward, 1, omit_nan, 0, 0, [], 0, 1);
end

rand('seed', 5);
x = rand(n, 1);
dropouts = x;
dropouts(rand(n, 1) < 0.01) = NaN;
threads = nproc();

printf('## Against movmedian (k = 101, %d threads for plorvent_movmedian)\n\n', threads);
theirs = best_of(1, @() movmedian(x, 101));
ours = best_of(repeats, @() plorvent_movmedian(x, 101));
printf('| movmedian | plorvent_movmedian | movmedian / ours |\n|---:|---:|---:|\n');
printf('| %.4f | %.4f | %.1f |\n\n', theirs, ours, theirs / ours);

printf('## Against medfilt1 (%d threads for plorvent_medfilt1)\n\n', threads);
printf('| k | medfilt1 | ours | ratio | 1%% NaN: medfilt1 | ours | ratio | ');
printf('1%% NaN, omitnan: medfilt1 | ours | ratio |\n');
printf('|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n');
for k = [3 11 101 1001 10001]
  row = zeros(1, 6);
  row(1) = best_of(repeats, @() medfilt1(x, k));
  row(2) = best_of(repeats, @() plorvent_medfilt1(x, k));
  row(3) = best_of(repeats, @() medfilt1(dropouts, k));
  row(4) = best_of(repeats, @() plorvent_medfilt1(dropouts, k));
  row(5) = best_of(repeats, @() medfilt1(dropouts, k, [], 1, 'omitnan'));
  row(6) = best_of(repeats, @() plorvent_medfilt1(dropouts, k, [], 1, 'omitnan'));
  printf('| %d | %.4f | %.4f | %.1f | %.4f | %.4f | %.1f | %.4f | %.4f | %.1f |\n', k, row(1), ...
         row(2), row(1) / row(2), row(3), row(4), row(3) / row(4), row(5), row(6), ...
         row(5) / row(6));
end

printf('\n## The moving mode against the fixed-window mode (the module itself, 1 thread)\n\n');
printf(['Fixed: plorvent_filter''s fixed-window mode, k odd, zero padding. Shrink: the moving ', ...
        'mode, k odd (fixed engine inside, counted ends). Even: k+1 samples, every window ', ...
        'counted. Omitnan: 1%% of the samples NaN and omitted, every window holding one ', ...
        'counted (most of them from k = 101 on). Ratios to the fixed mode on the clean signal.\n\n']);
printf('| k | fixed | shrink | shrink / fixed | even | even / fixed | omitnan | omitnan / fixed |\n');
printf('|---:|---:|---:|---:|---:|---:|---:|---:|\n');
for k = [3 11 101 1001 10001]
  h = (k - 1) / 2;
  fixed = best_of(repeats, @() plorvent_filter(x, k, 0, 0, 1, 0, 2^20, 1, Inf));
  shrink = best_of(repeats, @() moving(x, h, h, 0));
  even = best_of(repeats, @() moving(x, h + 1, h, 0));
  omit = best_of(repeats, @() moving(dropouts, h, h, 1));
  printf('| %d | %.4f | %.4f | %.2f | %.4f | %.2f | %.4f | %.2f |\n', k, fixed, shrink, ...
         shrink / fixed, even, even / fixed, omit, omit / fixed);
end
