function err = with_budget_advice(err)
%WITH_BUDGET_ADVICE The module's error ERR, its message telling how to allow more memory where
%   the budget refused the call.
if strcmp(err.identifier, 'plorvent_filter:windowTooLong') && ...
   ~isempty(strfind(err.message, 'budget'))
  err = struct('identifier', err.identifier, ...
               'message', [err.message ' Set a larger ''MemoryBudget'' to allow it.']);
end
end
