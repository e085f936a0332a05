function m = with_nan_windows(m, nan_mask, half_width)
%WITH_NAN_WINDOWS Sets to NaN each output M(i) whose window NAN_MASK(i : i+2*HALF_WIDTH) marks a
%   NaN in, in O(length) from a running count of NaNs.
if ~any(nan_mask)
  return;
end
nan_count = cumsum([0; nan_mask]);
window = 2 * half_width + 1;
m(nan_count(window + 1:end) > nan_count(1:end - window)) = NaN;
end
