% A sine with Gaussian noise and impulsive spikes, cleaned by plorvent with a window of 11 and
% mirrored edges, beside a moving average of the same length. Prints the RMS error against the
% clean sine of each and draws the noisy and the filtered signal into a PNG file.
% Run: octave-cli examples/plorvent_demo.m <toolbox folder> [<png file>]
args = argv();
addpath(args{1});
png_file = 'demo.png';
if numel(args) >= 2
  png_file = args{2};
end

randn('seed', 7);
rand('seed', 7);
n = 600;
t = (0:n - 1)' / n;
clean = sin(2 * pi * 2 * t);
noisy = clean + 0.08 * randn(n, 1);
spikes = find(rand(n, 1) < 0.04);
noisy(spikes) = noisy(spikes) + sign(randn(numel(spikes), 1)) .* (1.5 + 1.5 * rand(numel(spikes), 1));

w = 11;
median_filtered = plorvent(noisy, w, 'symmetric');
mean_filtered = conv(noisy, ones(w, 1) / w, 'same');

rms = @(e) sqrt(mean(e .^ 2));
fprintf('%d samples, %d spikes, window %d\n', n, numel(spikes), w);
fprintf('RMS error against the clean sine:\n');
fprintf('  noisy signal         %.4f\n', rms(noisy - clean));
fprintf('  moving average       %.4f\n', rms(mean_filtered - clean));
fprintf('  running median       %.4f  (plorvent)\n', rms(median_filtered - clean));
fprintf('largest error: noisy %.3f, moving average %.3f, running median %.3f\n', ...
        max(abs(noisy - clean)), max(abs(mean_filtered - clean)), ...
        max(abs(median_filtered - clean)));

warning('off', 'Octave:gnuplot-graphics');  % the only toolkit that draws without a display
graphics_toolkit('gnuplot');
figure_handle = figure('visible', 'off');
set(figure_handle, 'defaultaxesfontsize', 8);
axes('position', [0.08 0.6 0.88 0.3]);
plot(t, noisy, '.', 'color', [0.4 0.4 0.4], 'markersize', 6);
axis([0 1 -3.5 3.5]);
title(sprintf('input: a sine with Gaussian noise and %d spikes', numel(spikes)), ...
      'fontsize', 9, 'fontweight', 'normal');
axes('position', [0.08 0.08 0.88 0.32]);
plot(t, mean_filtered, '-', 'color', [0.9 0.5 0.1], 'linewidth', 1);
hold on;
plot(t, median_filtered, '-', 'color', [0 0.3 0.8], 'linewidth', 2);
hold off;
axis([0 1 -1.6 1.6]);
title(sprintf('blue: plorvent(x, %d, ''symmetric'')      orange: moving average of %d', w, w), ...
      'fontsize', 9, 'fontweight', 'normal');
print(figure_handle, png_file, '-dpngcairo', '-S900,560');
fprintf('wrote %s\n', png_file);
