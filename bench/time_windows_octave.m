% Times windows in time ('SamplePoints'): plorvent_movmedian, plorvent_movmad and
% plorvent_movquantile (p = 0.9) on n random doubles, their samples at regular times and at
% uneven ones (gaps and repeats), for windows of about k samples. Prints a markdown table of
% nanoseconds a sample.
% Usage: octave-cli time_windows_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
rand('seed', 11);
x = rand(n, 1);
% Uneven times: steps of 0 (a repeat), 0.5 to 2.5 and now and then a gap of 20; 3.9 on average.
steps = [0 0.5 1 1.5 2 2.5 20];
uneven = cumsum(steps(randi(7, n, 1)))(:);
ns = @(seconds) 1e9 * seconds / n;
printf('| times | k | movmedian | movmad | movquantile |\n|---|---:|---:|---:|---:|\n');
for k = [101 1001 10001]
  for spacing = {'regular', (1:n)'; 'uneven', uneven}'
    [name, t] = spacing{:};
    duration = k * (t(end) - t(1)) / (n - 1);  % about k samples a window
    f = {@() plorvent_movmedian(x, duration, 'SamplePoints', t), ...
         @() plorvent_movmad(x, duration, 'SamplePoints', t), ...
         @() plorvent_movquantile(x, 0.9, duration, 'SamplePoints', t)};
    printf('| %s | %d |%s\n', name, k, sprintf(' %.1f |', ns(cellfun(@(g) best_of(repeats, g), f))));
  end
end
