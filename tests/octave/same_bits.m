function same = same_bits(a, b)
%SAME_BITS Whether A and B have one class, one size and the same bits: signed zeros and NaN
%   payloads of floating-point values told apart, as the tests of exact results need.
same = strcmp(class(a), class(b)) && isequal(size(a), size(b));
if same && isfloat(a)
  same = isequal(typecast(a(:), 'uint8'), typecast(b(:), 'uint8'));
elseif same
  same = isequal(a, b);
end
end
