function budget = budget_option(value, caller)
%BUDGET_OPTION The value of option 'MemoryBudget' (bytes of work memory, 0 or more, Inf allowed)
%   as a double; CALLER:invalidOptionValue otherwise.
if ~(isnumeric(value) && isreal(value) && isscalar(value) && value >= 0)
  error([caller ':invalidOptionValue'], ...
        'The value of option ''MemoryBudget'' must be a number of bytes, 0 or more (Inf allowed).');
end
budget = full(double(value));
end
