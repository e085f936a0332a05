function [half_width, padding, dim, options] = filter_settings(w, args, sz, file_rows)
%FILTER_SETTINGS Checks the window length W and the arguments ARGS that follow it in a call of
%   PLORVENT, or of PLORVENT_FILE when FILE_ROWS (the rows of its own options, as OPTION_VALUES
%   reads them) are given, and returns them in normal form: the half-width, the padding (struct
%   with fields mode and fill), the dimension (default: the first non-singleton one of size SZ)
%   and the options (struct with a field per option). PLORVENT takes PADDING and DIM, PLORVENT_FILE
%   PADDING only, before the name-value pairs, which the first argument that names an option
%   starts. Both take the padding 'shrink' and a NaN flag anywhere after W (setting option NaN).
half_width = half_width_of(w);
for_file = nargin >= 4;
table = option_table();
if for_file
  table = [table; file_rows];
end
[args, flag] = without_nan_flag(args, table(:, 1));
positional = 0;
while positional < min(2 - for_file, numel(args)) && ...
      isempty(matched_choice(args{positional + 1}, table(:, 1), true))
  positional = positional + 1;
end
padding = struct('mode', 'constant', 'fill', 0);
if positional >= 1 && ~selects_default(args{1})
  padding = padding_of(args{1});
end
given_dim = [];
if positional >= 2
  given_dim = args{2};
end
dim = dim_argument(given_dim, sz, 'plorvent');
options = option_values(args(positional + 1:end), table, 'plorvent');
if ~isempty(flag)
  options = with_nan_flag(options, flag, args(positional + 1:2:end), table(:, 1));
end
check_counted_windows(padding, options);
end

function [args, flag] = without_nan_flag(args, names)
% ARGS without the NaN flag, which may stand anywhere but in the value of a name-value pair; FLAG
% is the flag given ('' for none).
flag = '';
keep = true(size(args));
k = 1;
while k <= numel(args)
  if ~isempty(matched_choice(args{k}, names, true))
    k = k + 2;
    continue;
  end
  this_flag = nan_flag(args{k});
  if ~isempty(this_flag)
    if ~isempty(flag)
      error('plorvent:invalidFlag', 'NANFLAG is given twice: give ''omitnan'' or ''includenan'' once.');
    end
    flag = this_flag;
    keep(k) = false;
  end
  k = k + 1;
end
args = args(keep);
end

function options = with_nan_flag(options, flag, given_names, names)
% The flag sets option NaN, unless that option, given by name, says otherwise.
named = false;
for k = 1:numel(given_names)
  named = named || strcmp(names(matched_choice(given_names{k}, names, true)), 'NaN');
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
if ~(is_whole(w, 1, 2147483647) && mod(w, 2) == 1)
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
         'Threads', [], @threads_option; 'MemoryBudget', [], @budget_option};
end

function mode = nan_mode_of(value, caller)
modes = {'includenan', 'raw'};
index = matched_choice(value, modes);
if isempty(index)
  error([caller ':invalidOptionValue'], ...
        'The value of option ''NaN'' must be ''includenan'' or ''raw''.');
end
mode = modes{index};
end

function block_size = block_size_of(value, caller)
block_size = whole_option(value, 'BlockSize', 1, 2147483647, caller);
end

function padding = padding_of(a)
modes = {'zeros', 'replicate', 'symmetric', 'periodic', 'shrink'};
[value, ok] = number_or_choice(a, modes);
if ~ok
  error('plorvent:invalidPadding', 'PADDING must be a real number or one of: ''%s''.', ...
        strjoin(modes, ''', '''));
end
padding = struct('mode', 'constant', 'fill', 0);
if ~ischar(value)
  padding.fill = value;
elseif ~strcmp(value, 'zeros')
  padding.mode = value;
end
end
