function fill = fill_in_class(x, fill)
%FILL_IN_CLASS The padding constant FILL as X's class holds it, converted as the host converts
%   (rounded and saturated for integers, NaN giving 0; rounded to single for single): a double, but
%   for int64 and uint64 X a value of X's class, which holds each of theirs exactly where a double
%   does not. Logical X takes FILL as a double; its callers decide what a logical signal takes.
%   The conversion is the class's own function, as cast calls it: in Octave cast is a function
%   file that checks its arguments, and took more time than the rest of a short call.
if islogical(x)
  fill = double(fill);
elseif isa(x, 'int64') || isa(x, 'uint64')
  fill = feval(class(x), fill);
else
  fill = double(feval(class(x), fill));
end
end
