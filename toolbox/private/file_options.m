function table = file_options()
%FILE_OPTIONS The options of PLORVENT_FILE alone, as OPTION_VALUES reads them: name, default,
%   check.
table = {'Range', [], @range_option; 'Workers', 1, @workers_option; 'Verbose', [], @verbose_option};
end

function range = range_option(value, caller)
if ~(isnumeric(value) && isreal(value) && numel(value) == 2 && all(isfinite(value)) && ...
     all(value == fix(value)))
  error([caller ':invalidOptionValue'], ...
        'The value of option ''Range'' must be [FIRST LAST], two whole numbers.');
end
range = full(double(value(:)'));
end

function workers = workers_option(value, caller)
workers = whole_option(value, 'Workers', 1, 1024, caller);
end

function verbose = verbose_option(value, caller)
if ~((islogical(value) || isnumeric(value)) && isreal(value) && isscalar(value) && ~isnan(value))
  error([caller ':invalidOptionValue'], 'The value of option ''Verbose'' must be true or false.');
end
verbose = logical(value);
end
