function p = padded_signal(x, half_width, padding)
%PADDED_SIGNAL The column X with HALF_WIDTH samples of PADDING on either side, built directly by
%   concatenating copies and mirror images of X: 'zeros', 'replicate', 'symmetric', 'periodic' or
%   a constant. A helper of the tests.
n = numel(x);
switch padding
  case 'zeros'
    p = [zeros(half_width, 1); x; zeros(half_width, 1)];
  case 'replicate'
    p = [repmat(x(1), half_width, 1); x; repmat(x(n), half_width, 1)];
  case 'periodic'
    reps = ceil(half_width / n);
    tiled = repmat(x, 2 * reps + 1, 1);
    p = tiled(reps * n + 1 - half_width:(reps + 1) * n + half_width);
  case 'symmetric'
    reps = ceil(half_width / (2 * n));
    tiled = repmat([x; flipud(x)], 2 * reps + 1, 1);
    p = tiled(2 * n * reps + 1 - half_width:2 * n * reps + n + half_width);
  otherwise
    p = [repmat(padding, half_width, 1); x; repmat(padding, half_width, 1)];
end
end
