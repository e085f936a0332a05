function y = plorvent(x, w, varargin)
%PLORVENT Running median of a signal, or of each column of an array.
%   Y = PLORVENT(X, W) replaces each sample of X by the median of the W
%   samples centred on it. W, the window length, is a positive odd integer.
%   Y has the size and the class of X. A vector is filtered as one signal;
%   a matrix or N-d array is filtered along its first non-singleton
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
%   Y = PLORVENT(..., 'BlockSize', B) computes at most B outputs of a
%   signal at a time. Y holds the same bits whatever B is; the memory
%   needed beyond X and Y is a few work arrays of at most B+W-1 samples for
%   each thread, however long the signals are (GNU Octave also holds a copy
%   of Y for a moment, as it takes a compiled module's result over). B is a
%   positive integer, by default 1048576 (2^20). Double signals along the
%   first dimension are read in place; other classes and other dimensions
%   are read a block at a time. PLORVENT_FILE filters a signal stored in a
%   file, for signals larger than memory.
%
%   Y = PLORVENT(..., 'Threads', T) filters on T threads (a positive
%   integer; by default the number of computational threads of the host:
%   MAXNUMCOMPTHREADS in MATLAB, NPROC in Octave). Long signals are cut
%   into pieces and arrays into signals; Y holds the same bits for any T.
%   Inputs under 65536 samples are filtered on one thread.
%
%   A window longer than a signal is never held whole: a padding contributes
%   copies of a few samples, which are counted instead. Only when such a
%   window holds NaN (with 'NaN', 'raw') or zeros of both signs does its
%   exact result need the whole window in memory, W*8 bytes; a call that
%   would need more than a budget is refused with plorvent:windowTooLong.
%   Y = PLORVENT(..., 'MemoryBudget', BYTES) sets that budget (by default
%   32 bytes per element of X, and at least 2^27 bytes).
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
%   X may be any real numeric or logical array, full or sparse. Y has X's
%   class: double for double, single for single, the same integer class for
%   integers (every int64 and uint64 value exactly, also beyond 2^53), and
%   logical for logical, as MEDIAN gives for an odd count: each output is
%   one of its window's samples, or the padding constant. Sparse X gives a
%   full Y. For X of another class than double the padding constant C is
%   first converted to X's class as the host converts (rounded and
%   saturated for integers, NaN giving 0; for logical X it must be 0 or 1).
%   Complex X is refused, as its samples have no order. An empty X gives an
%   empty Y of the same size. X itself is never changed.
%
%   Errors carry the identifiers plorvent:notEnoughInputs,
%   plorvent:invalidInput, plorvent:invalidWindow, plorvent:invalidPadding,
%   plorvent:invalidDim, plorvent:unknownOption, plorvent:missingOptionValue,
%   plorvent:invalidOptionValue and plorvent:windowTooLong.
%
%   The work is done by the compiled module PLORVENT_FILTER beside this
%   file.
%
%   Example: a noisy sine with spikes, each column of a matrix filtered
%     t = (0:199)' / 200;
%     x = sin(2*pi*t) + 0.05*randn(200, 1);
%     x(25:50:200) = 4;
%     y = plorvent(x, 7, 'replicate');              % spikes gone
%     z = plorvent([x, 2*x], 7, 'symmetric', 1);    % 200-by-2
%     v = plorvent([1 NaN 3 4 5], 3, 'replicate', 'NaN', 'raw');
%     long = plorvent(randn(1e7, 1), 101, 'Threads', 2);   % same bits
%     s = plorvent(single(x), 7);                            % single
%
%   See also PLORVENT_FILE, PLORVENT_FILTER, PLORVENT_CORE, MEDIAN, MEDFILT1.

if nargin < 2
  error('plorvent:notEnoughInputs', 'Not enough input arguments. Usage: y = plorvent(x, w).');
end
x = signal_of(x);
[half_width, padding, dim, options] = filter_settings(w, varargin, size(x), 2);
y = filtered_signals(x, 2 * half_width + 1, padding, dim, options);
end

function x = signal_of(x)
if ~(isnumeric(x) || islogical(x))
  error('plorvent:invalidInput', 'X must be a numeric or logical array; it is of class %s.', ...
        class(x));
end
if ~isreal(x)
  error('plorvent:invalidInput', 'X must be real; complex samples have no order for a median.');
end
if issparse(x)
  x = full(x);
end
end

%!test
%! assert(plorvent([3 1 2 5 4], 3), [1 2 2 4 4]);
%! assert(plorvent([1 9 2 8 3], 5, 'symmetric'), [2 2 3 3 3]);
%! assert(plorvent(single([1 NaN 3 4 5]), 3, 'replicate'), single([NaN NaN NaN 4 5]));
%! assert(plorvent(int8([3 1 2; 5 4 6]), 3, 'replicate', 2), int8([3 2 2; 5 5 6]));
%!error id=plorvent:notEnoughInputs plorvent(1)
%!error id=plorvent:invalidWindow plorvent(1:5, 4)

%!demo
%! % A noisy sine with spikes: the running median removes the spikes and keeps the edges
%! t = (0:199)' / 200;
%! x = sin(2 * pi * t) + 0.05 * randn(200, 1);
%! x(25:50:200) = 4;
%! y = plorvent(x, 7, 'replicate');
%! plot(t, x, '.', t, y, '-');
%! legend('noisy sine with spikes', 'plorvent(x, 7, ''replicate'')');
