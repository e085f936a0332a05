function dim = dim_argument(a, sz, caller)
%DIM_ARGUMENT The dimension A names, for an array of size SZ: [] selects the first dimension whose
%   size is not 1 (1 when there is none); anything but a positive whole number is refused with
%   CALLER:invalidDim.
if selects_default(a)
  dim = find(sz ~= 1, 1);
  if isempty(dim)
    dim = 1;
  end
elseif is_whole(a, 1, Inf)
  dim = full(double(a));
else
  error([caller ':invalidDim'], 'DIM must be a positive integer scalar.');
end
end
