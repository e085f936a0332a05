function options = option_values(args, table, caller)
%OPTION_VALUES The name-value pairs ARGS read by TABLE, a cell with a row per option: its name,
%   its default, and a function CHECK(VALUE, CALLER) that returns the value in normal form or
%   raises an error under CALLER's prefix. Names match as MATLAB matches them (any case, or a
%   prefix of one name only); a later pair overrides an earlier one. Returns a struct with a field
%   per option. Faults: CALLER:unknownOption, CALLER:missingOptionValue.
options = cell2struct(table(:, 2), table(:, 1), 1);
for k = 1:2:numel(args)
  row = matched_choice(args{k}, table(:, 1), true);
  if isempty(row)
    error([caller ':unknownOption'], 'Expected an option name (%s) here; got %s.', ...
          strjoin(table(:, 1)', ', '), described(args{k}));
  end
  if k == numel(args)
    error([caller ':missingOptionValue'], 'Option ''%s'' needs a value after it.', table{row, 1});
  end
  check = table{row, 3};
  options.(table{row, 1}) = check(args{k + 1}, caller);
end
end

function text = described(a)
[is_text, text] = text_value(a);
if is_text
  text = ['''' text ''''];
else
  text = sprintf('a value of class %s', class(a));
end
end
