% A photograph-like test image made in code (a lit sphere on a shaded floor, a window's bright
% frame and fine texture), with 20% salt-and-pepper noise, cleaned by plorvent_medfilt2 with a
% 3-by-3 window and mirrored edges. Prints the share of pixels within 10 grey levels of the clean
% image before and after, and writes the noisy and the filtered image side by side into a PNG.
% Run: octave-cli examples/image_demo.m <toolbox folder> [<png file>]
args = argv();
addpath(args{1});
png_file = 'images_demo.png';
if numel(args) >= 2
  png_file = args{2};
end

n = 256;
[x, y] = meshgrid(linspace(-1, 1, n));
floor_shade = 0.25 + 0.35 * (y + 1) / 2 + 0.03 * sin(40 * x + 6 * y);  % wood-like grain
r = hypot(x + 0.2, y + 0.1) / 0.55;
sphere = r < 1;
light = max(0, -0.5 * (x + 0.2) / 0.55 - 0.6 * (y + 0.1) / 0.55 + sqrt(max(0, 1 - r .^ 2)));
clean = floor_shade;
clean(sphere) = 0.15 + 0.75 * light(sphere);
frame = (abs(x - 0.6) < 0.25 & abs(y + 0.55) < 0.3) & ~(abs(x - 0.6) < 0.2 & abs(y + 0.55) < 0.25);
clean(frame) = 0.95;
clean = uint8(255 * min(max(clean, 0), 1));

rand('seed', 27);
noisy = clean;
hit = rand(n) < 0.2;
noisy(hit) = 255 * uint8(rand(nnz(hit), 1) < 0.5);
filtered = plorvent_medfilt2(noisy, [3 3], 'symmetric');

close_to = @(a) 100 * mean(abs(double(a(:)) - double(clean(:))) <= 10);
fprintf('%d x %d uint8 image, %d%% of its pixels salt or pepper\n', n, n, round(100 * mean(hit(:))));
fprintf('pixels within 10 grey levels of the clean image: noisy %.1f%%, filtered %.1f%%\n', ...
        close_to(noisy), close_to(filtered));
imwrite([noisy, 255 * ones(n, 8, 'uint8'), filtered], png_file);
fprintf('wrote %s\n', png_file);
