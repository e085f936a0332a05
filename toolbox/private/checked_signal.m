function x = checked_signal(x, caller)
%CHECKED_SIGNAL X as the compiled modules take it: a real numeric or logical array, full (a
%   sparse X is made full). Anything else is refused with the identifier CALLER:invalidInput.
if ~(isnumeric(x) || islogical(x))
  error([caller ':invalidInput'], 'X must be a numeric or logical array; it is of class %s.', ...
        class(x));
end
if ~isreal(x)
  error([caller ':invalidInput'], 'X must be real; complex samples have no order for a median.');
end
if issparse(x)
  x = full(x);
end
end
