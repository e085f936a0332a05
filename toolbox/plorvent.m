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
%   Y = PLORVENT(..., 'BlockSize', B) filters each signal longer than B
%   samples a block of B outputs at a time, each block's core call getting
%   the (W-1)/2 samples on either side of it, from the signal or from the
%   padding, as its extensions. Y holds the same bits whatever B is, but
%   each work array holds at most B+W-1 samples, so the memory needed
%   beyond X and Y stays bounded however long the signal is (when the
%   signals lie along the first dimension; along another one they are first
%   gathered into columns, a copy of X). B is a positive integer, by default
%   1048576 (2^20), which also runs faster than one block for the whole of a
%   long signal. PLORVENT_FILE filters a signal stored in a file the same
%   way, for signals larger than memory.
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
%     long = plorvent(randn(1e7, 1), 101, 'BlockSize', 1e6);   % same as whole
%
%   See also PLORVENT_FILE, PLORVENT_CORE, MEDIAN, MEDFILT1.

if nargin < 2
  error('plorvent:notEnoughInputs', 'Not enough input arguments. Usage: y = plorvent(x, w).');
end
x = signal_as_double(x);
[half_width, padding, dim, options] = filter_settings(w, varargin, size(x), 2);
if isempty(x)
  y = zeros(size(x));
  return;
end
[columns, before] = signals_as_columns(x, dim);
filtered = filter_columns(columns, half_width, padding, strcmp(options.NaN, 'includenan'), ...
                          options.BlockSize);
y = columns_as_signals(filtered, size(x), before);
end

function out = filter_columns(columns, half_width, padding, include_nan, block_size)
% Filters each column with its own extensions: columns longer than BLOCK_SIZE a block of outputs
% at a time, shorter ones in groups of up to 65536 padded samples (larger groups leave the cache
% and run slower).
if size(columns, 1) <= block_size
  most_padded = min(block_size + 2 * half_width, 65536);
  out = filter_groups(columns, half_width, padding, include_nan, most_padded);
else
  out = filter_blocks(columns, half_width, padding, include_nan, block_size);
end
end

function out = filter_blocks(columns, half_width, padding, include_nan, block_size)
% One core call for each BLOCK_SIZE outputs of a column, with the samples around the block as
% its extensions: the work arrays stay as small as the block, however long the column.
[len, count] = size(columns);
out = zeros(len, count);
for c = 1:count
  read = @(k) columns(k + (c - 1) * len);
  for first = 1:block_size:len
    last = min(first + block_size - 1, len);
    out(first:last, c) = filter_span(read, len, first, last, half_width, padding, include_nan);
  end
end
end

function out = filter_groups(columns, half_width, padding, include_nan, most_padded)
% Columns padded and laid end to end, at most MOST_PADDED samples (or one column) a core call
% (no window of a column's own outputs leaves its padded block). A column shorter than its
% half-width is filtered alone, where the outputs wasted on its extensions would outweigh a call.
[len, count] = size(columns);
padded_len = len + 2 * half_width;
group = 1;
if half_width <= len
  group = max(1, floor(most_padded / padded_len));
end
source = padded_sources((1 - half_width:len + half_width)', len, padding.mode);
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
