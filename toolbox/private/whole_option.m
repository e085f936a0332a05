function n = whole_option(value, name, low, high, caller)
%WHOLE_OPTION VALUE of option NAME as a double when it is a whole number from LOW to HIGH;
%   CALLER:invalidOptionValue otherwise.
if ~is_whole(value, low, high)
  error([caller ':invalidOptionValue'], ...
        'The value of option ''%s'' must be a whole number from %d to %d.', name, low, high);
end
n = full(double(value));
end
