function [padding, options] = image_settings(args, paddings, caller)
%IMAGE_SETTINGS The arguments ARGS that follow the window of PLORVENT_MEDFILT2 or
%   PLORVENT_ORDFILT2 in normal form: the padding, one of the names PADDINGS (the first by
%   default), then the name-value options 'Threads' and 'MemoryBudget' (struct with a field per
%   option, empty where not given). Faults: CALLER:invalidPadding, CALLER:unknownOption,
%   CALLER:missingOptionValue, CALLER:invalidOptionValue.
table = {'Threads', [], @threads_option; 'MemoryBudget', [], @budget_option};
padding = paddings{1};
if ~isempty(args) && isempty(matched_choice(args{1}, table(:, 1), true))
  index = matched_choice(args{1}, paddings);
  if isempty(index)
    error([caller ':invalidPadding'], 'PADOPT must be one of: ''%s''.', ...
          strjoin(paddings, ''', '''));
  end
  padding = paddings{index};
  args = args(2:end);
end
options = option_values(args, table, caller);
end
