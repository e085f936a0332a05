function dim = dim_argument(a, sz, caller)
%DIM_ARGUMENT The dimension A names, for an array of size SZ: [] selects the first dimension whose
%   size is not 1 (1 when there is none); anything but a positive whole number is refused with
%   CALLER:invalidDim. Every dimension past the last of SZ has size 1, and one stands for them
%   all, so that no index or size is asked for beyond what the host can count.
if selects_default(a)
  dim = find(sz ~= 1, 1);
  if isempty(dim)
    dim = 1;
  end
elseif is_whole(a, 1, Inf)
  dim = min(full(double(a)), numel(sz) + 1);
else
  error([caller ':invalidDim'], 'DIM must be a positive integer scalar.');
end
end
