function [half_width, padding, dim, options] = filter_settings(w, args, sz, most_positional, ...
                                                              counted)
%FILTER_SETTINGS Checks the window length W and the arguments ARGS that follow it in a call of
%   PLORVENT or PLORVENT_FILE, and returns them in normal form: the half-width, the padding
%   (struct with fields mode and fill), the dimension (default: the first non-singleton one of
%   size SZ) and the options (struct with a field per option). Up to MOST_POSITIONAL positional
%   arguments (PADDING, DIM) come first; the first argument that names an option starts the
%   name-value pairs. With COUNTED true, windows may also count their samples: the padding
%   'shrink' and the flags 'omitnan' and 'includenan' (anywhere, setting option NaN) are taken.
half_width = half_width_of(w);
counted = nargin >= 5 && counted;
flag = '';
if counted
  [args, flag] = without_nan_flags(args);
end
positional = 0;
while positional < min(most_positional, numel(args)) && ~is_option_name(args{positional + 1})
  positional = positional + 1;
end
padding = struct('mode', 'constant', 'fill', 0);
if positional >= 1 && ~(isnumeric(args{1}) && isempty(args{1}))
  padding = padding_of(args{1}, counted);
end
dim = find(sz ~= 1, 1);
if isempty(dim)
  dim = 1;
end
if positional >= 2 && ~(isnumeric(args{2}) && isempty(args{2}))
  dim = dim_of(args{2});
end
options = options_of(args(positional + 1:end));
if ~isempty(flag)
  options = with_nan_flag(options, flag, args(positional + 1:2:end));
end
if counted
  check_counted_windows(padding, options);
end
end

function [args, flag] = without_nan_flags(args)
% ARGS without the flags 'omitnan' and 'includenan' (FLAG is the last one given), leaving the
% values of name-value pairs alone.
flag = '';
keep = true(size(args));
k = 1;
while k <= numel(args)
  [is_text, text] = text_value(args{k});
  if is_option_name(args{k})
    k = k + 2;
    continue;
  end
  if is_text && any(strcmpi(text, {'omitnan', 'includenan'}))
    flag = lower(text);
    keep(k) = false;
  end
  k = k + 1;
end
args = args(keep);
end

function options = with_nan_flag(options, flag, names)
% The flag sets option NaN, unless that option, given by name, says otherwise.
named = false;
for k = 1:numel(names)
  [is_text, text] = text_value(names{k});
  named = named || (is_text && strcmpi(text, 'NaN'));
end
if named && ~strcmp(options.NaN, flag)
  error('plorvent:invalidOptionValue', 'The flag ''%s'' contradicts option ''NaN'', ''%s''.', ...
        flag, options.NaN);
end
options.NaN = flag;
end

function check_counted_windows(padding, options)
if strcmp(padding.mode, 'shrink') && strcmp(options.NaN, 'raw')
  error('plorvent:invalidPadding', ...
        'Windows that shrink count their samples: option ''NaN'', ''raw'' does not apply.');
end
if strcmp(options.NaN, 'omitnan') && ~any(strcmp(padding.mode, {'constant', 'shrink'}))
  error('plorvent:invalidPadding', ['''omitnan'' counts the samples of each window: ', ...
                                     'PADDING must be a constant or ''shrink''.']);
end
end

function half_width = half_width_of(w)
if ~(isnumeric(w) && isreal(w) && isscalar(w) && isfinite(w) && w >= 1 && ...
     mod(w, 2) == 1 && w <= 2147483647)
  error('plorvent:invalidWindow', ...
        'W must be the window length: a positive odd integer scalar no larger than 2147483647.');
end
half_width = (full(double(w)) - 1) / 2;
end

function table = option_table()
% The name-value options: name, default, and the function that checks a value and returns it
% in normal form. An option is added by adding its row.
% An empty default is decided by the caller (the host's thread count, a budget from X's size).
table = {'NaN', 'includenan', @nan_mode_of; 'BlockSize', 1048576, @block_size_of; ...
         'Threads', [], @threads_of; 'MemoryBudget', [], @budget_of};
end

function options = options_of(args)
table = option_table();
options = cell2struct(table(:, 2), table(:, 1), 1);
for k = 1:2:numel(args)
  row = option_row(table, args{k});
  if k == numel(args)
    error('plorvent:missingOptionValue', 'Option ''%s'' needs a value after it.', table{row, 1});
  end
  normalise = table{row, 3};
  options.(table{row, 1}) = normalise(args{k + 1});
end
end

function row = option_row(table, name)
[is_text, name] = text_value(name);
row = [];
if is_text
  row = find(strcmpi(name, table(:, 1)), 1);
end
if isempty(row)
  error('plorvent:unknownOption', ...
        'Expected an option name (%s) after the positional arguments; got something else.', ...
        strjoin(table(:, 1)', ', '));
end
end

function yes = is_option_name(a)
[is_text, name] = text_value(a);
table = option_table();
yes = is_text && any(strcmpi(name, table(:, 1)));
end

function mode = nan_mode_of(value)
mode = choice_of(value, {'includenan', 'raw'}, 'plorvent:invalidOptionValue', ...
                 'The value of option ''NaN'' must be one of');
end

function block_size = block_size_of(value)
block_size = whole_option_value(value, 'BlockSize', 2147483647);
end

function threads = threads_of(value)
threads = whole_option_value(value, 'Threads', 256);
end

function n = whole_option_value(value, name, highest)
% VALUE as a double when it is a whole number from 1 to HIGHEST; an error naming option NAME
% otherwise.
if ~(isnumeric(value) && isreal(value) && isscalar(value) && value >= 1 && value <= highest && ...
     value == fix(value))
  error('plorvent:invalidOptionValue', ...
        'The value of option ''%s'' must be a whole number from 1 to %d.', name, highest);
end
n = full(double(value));
end

function budget = budget_of(value)
if ~(isnumeric(value) && isreal(value) && isscalar(value) && value >= 0)
  error('plorvent:invalidOptionValue', ...
        'The value of option ''MemoryBudget'' must be a number of bytes, 0 or more (Inf allowed).');
end
budget = full(double(value));
end

function padding = padding_of(a, counted)
if (isnumeric(a) || islogical(a)) && isscalar(a) && isreal(a)
  padding = struct('mode', 'constant', 'fill', full(double(a)));
  return;
end
modes = {'zeros', 'replicate', 'symmetric', 'periodic'};
if counted
  modes{end + 1} = 'shrink';
end
mode = choice_of(a, modes, 'plorvent:invalidPadding', 'PADDING must be a real number or one of');
padding = struct('mode', mode, 'fill', 0);
if strcmp(mode, 'zeros')
  padding.mode = 'constant';
end
end

function dim = dim_of(a)
if ~(isnumeric(a) && isreal(a) && isscalar(a) && isfinite(a) && a >= 1 && a == fix(a))
  error('plorvent:invalidDim', 'DIM must be a positive integer scalar.');
end
dim = full(double(a));
end

function choice = choice_of(value, choices, id, message)
% The entry of CHOICES that VALUE names, ignoring case; an error with ID and MESSAGE otherwise.
[is_text, value] = text_value(value);
match = [];
if is_text
  match = find(strcmpi(value, choices), 1);
end
if isempty(match)
  error(id, '%s: ''%s''.', message, strjoin(choices, ''', '''));
end
choice = choices{match};
end

function [is_text, text] = text_value(a)
% Character rows and scalar strings are text; TEXT is then a character row.
if isa(a, 'string') && isscalar(a)
  a = char(a);
end
is_text = ischar(a) && (isrow(a) || isempty(a));
text = a;
end
