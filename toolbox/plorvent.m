function [y, varargout] = plorvent(x, w, varargin)
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
%     'shrink'     none: windows near the ends hold only the samples that
%                  exist (fewer, and an even number of them gives the mean
%                  of the two middle values, as for 'omitnan' below)
%   When (W-1)/2 exceeds the signal's length the pattern goes on: the edge
%   keeps repeating, the mirror images keep reflecting, the signal keeps
%   wrapping around.
%
%   Y = PLORVENT(X, W, PADDING, DIM) filters along dimension DIM, a positive
%   integer ([] selects the default). Along a dimension beyond NDIMS(X)
%   every sample is a signal of length 1.
%
%   Y = PLORVENT(..., 'BlockSize', B) computes at most B outputs of a
%   signal at a time. Y holds the same bits whatever B is. B is a positive
%   integer, by default 1048576 (2^20). Double signals along the first
%   dimension are read in place; other classes and other dimensions are
%   read a block at a time. PLORVENT_FILE filters a signal stored in a
%   file, for signals larger than memory.
%
%   Y = PLORVENT(..., 'Threads', T) filters on T threads (a positive
%   integer; by default the number of computational threads of the host:
%   MAXNUMCOMPTHREADS in MATLAB, NPROC in Octave). Long signals are cut
%   into pieces and arrays into signals; Y holds the same bits for any T.
%   Inputs under 65536 samples are filtered on one thread.
%
%   Y = PLORVENT(..., 'MemoryBudget', BYTES) bounds the work memory a call
%   takes beyond X and Y (by default 32 bytes per element of X, and at
%   least 2^27 bytes; Inf for none): a call that would need more, even on
%   fewer threads, is refused up front with plorvent:windowTooLong, which
%   says how many bytes it needs. The work memory is, for each thread:
%     about 16*B + 80*W bytes (double signals along the first dimension,
%     read and written in place: about 70*W bytes);
%     with 'omitnan' or 'shrink', about 16*B bytes and 250*W more (W taken
%     as at least 4096) for the windows that count their samples.
%   A window longer than its signal is never held whole: a padding holds
%   copies of the signal's samples, so each window is counted over them,
%   in about 21 bytes a sample of the signal for double signals along the
%   first dimension and 29 otherwise, on one thread a signal; only with
%   'NaN', 'raw' does a window holding NaN or zeros of both signs need W*8
%   bytes more, to be selected whole. In GNU Octave Y is the compiled
%   module's own array, handed back without a copy. A call's peak beyond X
%   is thus Y and that work: at 10^7 double samples and W = 101, 76 MiB and
%   at most 17 MiB a thread.
%
%   Y = PLORVENT(..., 'NaN', MODE) may follow any of the calls above and
%   decides the outputs whose window holds a NaN, from X or from a NaN
%   padding constant:
%     'includenan'  they are NaN (the default), as MEDIAN gives for them
%     'raw'         they are what PLORVENT_CORE gives: one of the window's
%                   own samples, NaN or not, fixed by its selection order
%   All other outputs are the exact median, one of the window's own samples.
%   Zeros of both signs count as equal: a median that is zero is -0 exactly
%   when every zero among the window's counted samples (the padding's
%   included) is -0, and +0 otherwise, so the bits never depend on the
%   block size, the threads or 'omitnan' (a window free of NaN gives the
%   same with and without it). With 'NaN', 'raw' every output, zeros
%   included, is PLORVENT_CORE's: the one its selection order leaves in the
%   middle.
%
%   Y = PLORVENT(..., 'omitnan') leaves NaN out of the windows: each output
%   is the median of its window's other samples (NaN when there are none);
%   an even number c of them gives the mean of the two middle values a <= b,
%   computed as a + (b-a)/2 when both are finite and of one sign and as
%   (a+b)/2 otherwise, so that it never overflows. The padding must then be
%   a constant or 'shrink'. Y = PLORVENT(..., 'includenan') is the default,
%   the same as 'NaN', 'includenan'. Either flag may stand anywhere after
%   W. With 'omitnan' or 'shrink' a logical X gives a double Y; an X of a
%   class without NaN is filtered as without 'omitnan'. PLORVENT_MOVMEDIAN and
%   PLORVENT_MEDFILT1 take MOVMEDIAN's and MEDFILT1's arguments.
%
%   X may be any real numeric or logical array, full or sparse. Y has X's
%   class: double for double, single for single, the same integer class for
%   integers (every int64 and uint64 value exactly, also beyond 2^53), and
%   logical for logical, as MEDIAN gives for an odd count: each output is
%   one of its window's samples, or the padding constant. Sparse X gives a
%   full Y. For X of another class than double the padding constant C is
%   first converted to X's class as the host converts (rounded and
%   saturated for integers, NaN giving 0, an int64 or uint64 C exactly; for
%   logical X it must be 0 or 1).
%   Complex X is refused, as its samples have no order. An empty X gives an
%   empty Y of the same size. X itself is never changed.
%
%   Text arguments may be character rows or string scalars, in any case:
%   plorvent(x, 7, "replicate", "NaN", "raw") is plorvent(x, 7, 'replicate',
%   'NaN', 'raw'). Option names may be shortened to any prefix that names
%   one option ('Block' for 'BlockSize'). The NaN flags may also be spelled
%   'omitmissing' and 'includemissing'; a second one is refused.
%
%   Errors carry the identifiers plorvent:notEnoughInputs,
%   plorvent:tooManyOutputs, plorvent:invalidInput, plorvent:invalidWindow,
%   plorvent:invalidPadding, plorvent:invalidDim, plorvent:invalidFlag,
%   plorvent:unknownOption, plorvent:missingOptionValue,
%   plorvent:invalidOptionValue, plorvent:windowTooLong,
%   plorvent:interrupted and plorvent:moduleNotFound; the README's table
%   "Errors" says when each is raised, in every function of the toolbox.
%
%   The work is done by the compiled module PLORVENT_FILTER beside this
%   file. In GNU Octave a Ctrl-C stops a long call within about a second
%   with plorvent:interrupted; MATLAB documents no way for a compiled
%   module to see one, so there a call runs to its end.
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
%     plorvent([4 8 NaN -1 -2 -3 NaN 3 4 5], 3, 'shrink', 'omitnan')
%       % 6  6  3.5  -1.5  -2  -2.5  0  3.5  4  4.5
%
%   See also PLORVENT_MOVMEDIAN, PLORVENT_MEDFILT1, PLORVENT_FILE, PLORVENT_FILTER,
%   PLORVENT_CORE, MEDIAN.

require_arguments(nargin, nargout, [2 Inf 1], 'plorvent', 'y = plorvent(x, w, ...)');
x = checked_signal(x, 'plorvent');
[half_width, padding, dim, options] = filter_settings(w, varargin, size(x));
y = filtered_signals(x, 2 * half_width + 1, padding, dim, options);
end

%!test
%! assert(plorvent([3 1 2 5 4], 3), [1 2 2 4 4]);
%! assert(plorvent([1 9 2 8 3], 5, 'symmetric'), [2 2 3 3 3]);
%! assert(plorvent(single([1 NaN 3 4 5]), 3, 'replicate'), single([NaN NaN NaN 4 5]));
%! assert(plorvent(int8([3 1 2; 5 4 6]), 3, 'replicate', 2), int8([3 2 2; 5 5 6]));
%! B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%! assert(plorvent(B, 3, 'omitnan', 'shrink'), [6 6 3.5 -1.5 -2 -2.5 0 3.5 4 4.5]);
%! assert(plorvent(B, 3, 'omitnan'), [4 6 3.5 -1.5 -2 -2.5 0 3.5 4 4]);
%! assert(plorvent(B, 3, 'shrink', 2, 'Threads', 1, 'includenan'), [6 NaN NaN NaN -2 NaN NaN NaN 4 4.5]);
%! assert(plorvent(B, 3, "Shrink", "omitnan", "thread", 1), plorvent(B, 3, 'omitnan', 'shrink'));
%!error id=plorvent:notEnoughInputs plorvent(1)
%!error id=plorvent:invalidPadding plorvent(1:5, 3, 'replicate', 'omitnan')
%!error id=plorvent:invalidOptionValue plorvent(1:5, 3, 'omitnan', 'NaN', 'raw')
%!error id=plorvent:invalidWindow plorvent(1:5, 4)

%!demo
%! % A noisy sine with spikes: the running median removes the spikes and keeps the edges
%! t = (0:199)' / 200;
%! x = sin(2 * pi * t) + 0.05 * randn(200, 1);
%! x(25:50:200) = 4;
%! y = plorvent(x, 7, 'replicate');
%! plot(t, x, '.', t, y, '-');
%! legend('noisy sine with spikes', 'plorvent(x, 7, ''replicate'')');
