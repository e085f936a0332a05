function yes = is_whole(v, low, high)
%IS_WHOLE Whether V is a real numeric scalar holding a whole number from LOW to HIGH (finite
%   either way). Logical values, cells and text are not numbers.
yes = isnumeric(v) && isreal(v) && isscalar(v) && isfinite(v) && v >= low && v <= high && ...
      v == fix(v);
end
