function y = plorvent(x, w, varargin)
%PLORVENT Running median of a signal, or of each column of an array.
%   Y = PLORVENT(X, W) replaces each sample of X by the median of the W
%   samples centred on it. W, the window length, is a positive odd integer.
%   Y is a double array of the same size as X. A vector is filtered as one
%   signal; a matrix or N-d array is filtered along its first non-singleton
%   dimension, each column on its own. Each signal is extended past both
%   ends by (W-1)/2 zeros.
%
%   Y = PLORVENT(X, W, PADDING) chooses the extension of each signal x:
%     'zeros'      zeros (the default; [] also selects it)
%     C            the real number C repeated
%     'replicate'  the edge sample repeated:     ... x(1) x(1) | x(1) x(2) ...
%     'symmetric'  mirror images, edge repeated: ... x(2) x(1) | x(1) x(2) ...
%     'periodic'   the signal wrapped around:    ... x(n-1) x(n) | x(1) x(2) ...
%   When (W-1)/2 exceeds the signal's length the pattern goes on: the edge
%   keeps repeating, the mirror images keep reflecting, the signal keeps
%   wrapping around.
%
%   Y = PLORVENT(X, W, PADDING, DIM) filters along dimension DIM, a positive
%   integer ([] selects the default). Along a dimension beyond NDIMS(X)
%   every sample is a signal of length 1.
%
%   Y = PLORVENT(..., 'NaN', MODE) may follow any of the calls above and
%   decides the outputs whose window holds a NaN, from X or from a NaN
%   padding constant:
%     'includenan'  they are NaN (the default), as MEDIAN gives for them
%     'raw'         they are what PLORVENT_CORE gives: one of the window's
%                   own samples, NaN or not, fixed by its selection order
%   All other outputs are the same in both modes: the exact median, one of
%   the window's own samples. Zeros of both signs count as equal; which of
%   them comes out is fixed by the same selection order.
%
%   X may be any real numeric or logical array, full or sparse; it is
%   converted to double and Y is always a full double array. An int64 or
%   uint64 value beyond 2^53 is rounded by that conversion as DOUBLE rounds
%   it; rounding keeps the order, so Y is DOUBLE of the exact median. Complex
%   X is refused, as its samples have no order. An empty X gives an empty Y
%   of the same size. X itself is never changed.
%
%   Errors carry the identifiers plorvent:notEnoughInputs,
%   plorvent:invalidInput, plorvent:invalidWindow, plorvent:invalidPadding,
%   plorvent:invalidDim, plorvent:unknownOption, plorvent:missingOptionValue
%   and plorvent:invalidOptionValue.
%
%   Example: a noisy sine with spikes, each column of a matrix filtered
%     t = (0:199)' / 200;
%     x = sin(2*pi*t) + 0.05*randn(200, 1);
%     x(25:50:200) = 4;
%     y = plorvent(x, 7, 'replicate');              % spikes gone
%     z = plorvent([x, 2*x], 7, 'symmetric', 1);    % 200-by-2
%     v = plorvent([1 NaN 3 4 5], 3, 'replicate', 'NaN', 'raw');
%
%   See also PLORVENT_CORE, MEDIAN, MEDFILT1.

if nargin < 2
  error('plorvent:notEnoughInputs', 'Not enough input arguments. Usage: y = plorvent(x, w).');
end
x = signal_as_double(x);
half_width = half_width_of(w);
[padding, dim, options] = parse_arguments(size(x), varargin);
y = zeros(size(x));
if isempty(x)
  return;
end
[columns, before] = signals_as_columns(x, dim);
filtered = filter_columns(columns, half_width, padding, strcmp(options.NaN, 'includenan'));
y = columns_as_signals(filtered, size(x), before);
end

function out = filter_columns(columns, half_width, padding, include_nan)
% Filters each column with its own extensions. Columns are padded and laid end to end, a group
% at a time, in one core call each (no window of a column's own outputs leaves its padded block),
% so short columns do not cost one call each. A column shorter than its half-width is filtered
% alone, where the outputs wasted on its extensions would outweigh a call.
[len, count] = size(columns);
padded_len = len + 2 * half_width;
group = 1;
if half_width <= len
  group = max(1, floor(65536 / padded_len));
end
source = padded_sources(len, half_width, padding.mode);
out = zeros(len, count);
for first = 1:group:count
  members = first:min(first + group - 1, count);
  pool = [columns(:, members); repmat(padding.fill, 1, numel(members))];
  padded = reshape(pool(source, :), [], 1);
  inner = padded(half_width + 1:end - half_width);
  m = plorvent_core(inner, padded(1:half_width), padded(end - half_width + 1:end), half_width);
  if include_nan
    m = with_nan_windows(m, padded, half_width);
  end
  m = reshape([m; zeros(2 * half_width, 1)], padded_len, numel(members));
  out(:, members) = m(1:len, :);
end
end

function source = padded_sources(len, half_width, mode)
% For each position t = 1-half_width ... len+half_width of the padded signal, the index into
% [signal; fill] of the sample standing there (len+1 is the fill constant).
t = (1 - half_width:len + half_width)';
switch mode
  case 'replicate'
    source = min(max(t, 1), len);
  case 'periodic'
    source = mod(t - 1, len) + 1;
  case 'symmetric'
    % Period 2*len: x(1) ... x(len) x(len) ... x(1).
    phase = mod(t - 1, 2 * len);
    source = min(phase, 2 * len - 1 - phase) + 1;
  otherwise
    source = t;
    source(t < 1 | t > len) = len + 1;
end
end

function m = with_nan_windows(m, padded, half_width)
% Sets to NaN each output whose window padded(i : i+2*half_width) holds a NaN, in O(length)
% from a running count of NaNs.
nan_mask = isnan(padded);
if ~any(nan_mask)
  return;
end
nan_count = cumsum([0; nan_mask]);
window = 2 * half_width + 1;
m(nan_count(window + 1:end) > nan_count(1:end - window)) = NaN;
end

function [columns, before] = signals_as_columns(x, dim)
% Each signal along DIM becomes one column; BEFORE is the number of elements between two
% successive samples of a signal.
sz = size(x);
before = prod(sz(1:min(dim - 1, numel(sz))));
len = numel(x) / before;
if dim <= numel(sz)
  len = sz(dim);
end
if before == 1
  columns = reshape(x, len, []);
else
  columns = reshape(permute(reshape(x, before, len, []), [2 1 3]), len, []);
end
end

function y = columns_as_signals(columns, sz, before)
% Undoes signals_as_columns.
len = size(columns, 1);
if before == 1
  y = reshape(columns, sz);
else
  y = reshape(permute(reshape(columns, len, before, []), [2 1 3]), sz);
end
end

function x = signal_as_double(x)
if ~(isnumeric(x) || islogical(x))
  error('plorvent:invalidInput', 'X must be a numeric or logical array; it is of class %s.', ...
        class(x));
end
if ~isreal(x)
  error('plorvent:invalidInput', 'X must be real; complex samples have no order for a median.');
end
x = full(double(x));
end

function half_width = half_width_of(w)
if ~(isnumeric(w) && isreal(w) && isscalar(w) && isfinite(w) && w >= 1 && ...
     mod(w, 2) == 1 && w <= 2147483647)
  error('plorvent:invalidWindow', ...
        'W must be the window length: a positive odd integer scalar no larger than 2147483647.');
end
half_width = (double(w) - 1) / 2;
end

function [padding, dim, options] = parse_arguments(sz, args)
% Up to two positional arguments (PADDING, DIM); the first argument that names an option starts
% the name-value pairs.
positional = 0;
while positional < min(2, numel(args)) && ~is_option_name(args{positional + 1})
  positional = positional + 1;
end
padding = struct('mode', 'constant', 'fill', 0);
if positional >= 1 && ~(isnumeric(args{1}) && isempty(args{1}))
  padding = padding_of(args{1});
end
dim = find(sz ~= 1, 1);
if isempty(dim)
  dim = 1;
end
if positional >= 2 && ~(isnumeric(args{2}) && isempty(args{2}))
  dim = dim_of(args{2});
end
options = options_of(args(positional + 1:end));
end

function table = option_table()
% The name-value options: name, default, and the function that checks a value and returns it
% in normal form. An option is added by adding its row.
table = {'NaN', 'includenan', @nan_mode_of};
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
        'Expected an option name (%s) after PADDING and DIM; got something else.', ...
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

function padding = padding_of(a)
if (isnumeric(a) || islogical(a)) && isscalar(a) && isreal(a)
  padding = struct('mode', 'constant', 'fill', full(double(a)));
  return;
end
modes = {'zeros', 'replicate', 'symmetric', 'periodic'};
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
dim = double(a);
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
