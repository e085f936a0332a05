function [M, varargout] = plorvent_movmad(A, k, varargin)
%PLORVENT_MOVMAD Moving median absolute deviation, called and answering as MOVMAD does.
%   M = PLORVENT_MOVMAD(A, K) replaces each element of A by the median
%   absolute deviation of a window of K elements around it: with m the
%   median of the window's elements w, the median of |w - m|, not scaled.
%   The windows are those of PLORVENT_MOVMEDIAN: for odd K centred on the
%   element; for even K, K/2 elements back and K/2-1 forward; shrinking
%   near the ends. A vector is one signal; a matrix or N-d array is taken
%   along its first non-singleton dimension.
%
%   M = PLORVENT_MOVMAD(A, [KB KF]) uses windows of KB elements back, the
%   element itself and KF elements forward.
%
%   M = PLORVENT_MOVMAD(..., DIM) works along dimension DIM.
%
%   M = PLORVENT_MOVMAD(..., NANFLAG) decides what NaN do:
%     'includenan'  a window holding a NaN gives NaN (the default)
%     'omitnan'     NaN are left out of their windows; a window of NaN only
%                   gives NaN
%
%   M = PLORVENT_MOVMAD(..., 'Endpoints', E) decides the windows that reach
%   past the ends: 'shrink' (the default), 'discard' (their outputs left
%   out), 'fill' (the elements past the ends are NaN) or a number C (they
%   are C). M = PLORVENT_MOVMAD(..., 'SamplePoints', T) places the elements
%   at the times T and measures K in their units; PLORVENT_MOVMEDIAN tells
%   both in full.
%
%   Both medians, of the window and of the deviations, are for an even
%   count the mean of the two middle values (as PLORVENT_MOVMEDIAN computes
%   it). The work is done in double: for integer A every step is exact and
%   the result is rounded once to A's class. A window whose median is
%   infinite gives NaN, since its deviations hold Inf - Inf, a NaN: with
%   'omitnan' too, which leaves out the NaN among the window's samples, not
%   this one (as MAD(W, 1), the median of ABS(W - MEDIAN(W)), gives NaN for
%   the window's counted samples W).
%
%   M has the size of A (shorter along DIM with 'discard') and A's class:
%   double, single, or A's integer class (rounded to the nearest, halves
%   away from zero, and held within the class: int8([-128 127]) deviate by
%   127.5, which gives 127); logical A gives double. An integer A converts
%   a padding C (or the NaN of 'fill', which gives 0) to its class as the
%   host converts, saturating (Inf gives INTMAX), and an int64 or uint64 C
%   exactly. The work is done by the compiled module PLORVENT_FILTER, in
%   pieces of 2^20 outputs: a call's peak beyond A is M and, for each
%   thread, about 16*2^20 bytes and 250*K more (K taken as at least 4096),
%   whatever the length of A: at 10^7 double elements and K = 101, 76 MiB
%   and at most 17 MiB a thread. In GNU Octave a Ctrl-C stops a long call
%   (plorvent_movmad:interrupted).
%
%   Example: windows of 3, then of 4 with NaN left out
%     plorvent_movmad([1 2 4 -1 -2 -3 -1 3 2 1], 3)
%       % 0.5  1  2  1  1  1  2  1  1  0.5
%     plorvent_movmad([1 2 4 -1 -2 -3 -1 3 2 1], 4)
%       % 0.5  1  1.5  2  1  0.5  1  2  1  1
%     B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%     plorvent_movmad(B, 3, 'omitnan')
%       % 2  2  4.5  0.5  1  0.5  3  0.5  1  0.5
%
%   Text arguments may be character rows or string scalars, in any case,
%   and option names any prefix that names one option ("End").
%
%   Errors carry the identifiers plorvent_movmad:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :invalidWindow, :invalidDim,
%   :invalidFlag, :unknownOption, :missingOptionValue, :invalidOptionValue,
%   :invalidSamplePoints, :interrupted and :moduleNotFound; the README's
%   table "Errors" says when each is raised, in every function of the
%   toolbox.
%
%   See also PLORVENT_MOVMEDIAN, PLORVENT_MOVQUANTILE, MOVMAD, MAD.

require_arguments(nargin, nargout, [2 Inf 1], 'plorvent_movmad', 'M = plorvent_movmad(A, k, ...)');
A = checked_signal(A, 'plorvent_movmad');
windows = moving_settings(A, k, varargin, 'plorvent_movmad');
windows.statistic = 'mad';
M = moving_statistics(A, windows, 'plorvent_movmad');
end

%!test
%! x = [1 2 4 -1 -2 -3 -1 3 2 1];
%! assert(plorvent_movmad(x, 3), [0.5 1 2 1 1 1 2 1 1 0.5]);
%! assert(plorvent_movmad(x, 4), [0.5 1 1.5 2 1 0.5 1 2 1 1]);
%! assert(plorvent_movmad(x, 3, 'Endpoints', 'discard'), [1 2 1 1 1 2 1 1]);
%! assert(plorvent_movmad(x, [0 1], 'Endpoints', 'fill'), [0.5 1 2.5 0.5 0.5 1 2 0.5 0.5 NaN]);
%! B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%! assert(plorvent_movmad(B, 3), [2 NaN NaN NaN 1 NaN NaN NaN 1 0.5]);
%! assert(plorvent_movmad(B, 3, "omitnan"), [2 2 4.5 0.5 1 0.5 3 0.5 1 0.5]);
%! assert(plorvent_movmad([1 Inf Inf 2 3], 3, 'omitnan'), [NaN NaN NaN 1 0.5]);  % Inf - Inf is NaN
%! assert(plorvent_movmad(int8([1 2 4 7]), [1 0]), int8([0 1 1 2]));
%! assert(plorvent_movmad(int8([-128 127]), [1 0]), int8([0 127]));   % 127.5 saturates
%!error id=plorvent_movmad:invalidWindow plorvent_movmad(1:5, -1)
%!error id=plorvent_movmad:notEnoughInputs plorvent_movmad(1:5)

%!demo
%! % A step hidden in noise whose spread changes: the moving MAD follows the spread, not the step
%! x = [randn(200, 1); 5 + 3 * randn(200, 1)];
%! x(50:60:400) = 30;                           % outliers barely move it
%! plot(1:400, x, '.', 1:400, plorvent_movmad(x, 41), '-');
%! legend('signal', 'plorvent\_movmad(x, 41)');
