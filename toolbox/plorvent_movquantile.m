function [Q, varargout] = plorvent_movquantile(A, p, k, varargin)
%PLORVENT_MOVQUANTILE Moving quantile, with the windows and options of MOVMEDIAN.
%   Q = PLORVENT_MOVQUANTILE(A, P, K) replaces each element of A by the
%   quantile of probability P (0 <= P <= 1) of a window of K elements around
%   it: P = 0 gives the window's minimum, P = 1 its maximum, P = 0.5 its
%   median. The windows are those of PLORVENT_MOVMEDIAN: for odd K centred
%   on the element; for even K, K/2 elements back and K/2-1 forward;
%   shrinking near the ends. A vector is one signal; a matrix or N-d array
%   is taken along its first non-singleton dimension.
%
%   Q = PLORVENT_MOVQUANTILE(A, P, [KB KF]) uses windows of KB elements
%   back, the element itself and KF elements forward.
%
%   A vector P gives one result per probability, stacked along the first
%   dimension beyond A's, NDIMS(A)+1: Q(:, ..., :, j) is the result for
%   P(j). For a row A, Q is 1-by-N-by-NUMEL(P). An empty P stands for
%   [0 0.25 0.5 0.75 1], as QUANTILE takes it.
%
%   Q = PLORVENT_MOVQUANTILE(..., DIM), (..., NANFLAG),
%   (..., 'Endpoints', E) and (..., 'SamplePoints', T) take what
%   PLORVENT_MOVMEDIAN takes: the dimension, 'includenan' (the default: a
%   window holding a NaN gives NaN) or 'omitnan' (NaN left out), the
%   windows past the ends ('shrink', 'discard', 'fill' or a constant C),
%   and the times of the elements, which K is then measured in.
%
%   Q = PLORVENT_MOVQUANTILE(..., 'Method', M) computes each quantile by
%   the sample-quantile definition M of Hyndman and Fan, numbered as
%   QUANTILE numbers them. With the c counted elements of a window sorted,
%   x(1) <= ... <= x(c):
%     1  the inverse of the empirical distribution function: x(ceil(c*P))
%     2  as 1, but the mean of the two elements where c*P is whole
%     3  the nearest order statistic, the even one at a tie (SAS)
%     4  linear between the points (j/c, x(j))
%     5  linear between the points ((j-0.5)/c, x(j)) (the default)
%     6  linear between the points (j/(c+1), x(j)) (Minitab, SPSS)
%     7  linear between the points ((j-1)/(c-1), x(j)) (R, Excel)
%     8  linear between the points ((j-1/3)/(c+1/3), x(j))
%     9  linear between the points ((j-3/8)/(c+1/4), x(j))
%   Beyond the first or the last point the result is x(1) or x(c). Each
%   result equals QUANTILE(w, P, 1, M) of the window's counted elements w
%   (to an ulp or two where it lies between two of them, exactly where it
%   is one, also beside an infinity, where QUANTILE's arithmetic meets
%   0*Inf and gives NaN). With P = 0.5 methods 2 and 5 to 9 give the
%   median, and the default gives exactly PLORVENT_MOVMEDIAN's bits.
%
%   A quantile that is zero is -0 exactly when every zero among the
%   window's counted elements is -0 (+0 otherwise); a window with nothing
%   counted gives NaN.
%
%   Q has A's class: double, single, or A's integer class (a result between
%   two elements rounded to the nearest, halves away from zero); logical A
%   gives double; an integer A converts a padding C (or the NaN of 'fill',
%   which gives 0) to its class as the host converts, saturating (Inf gives
%   INTMAX), and an int64 or uint64 C exactly. Q has the size of A (shorter along DIM
%   with 'discard'), times NUMEL(P) along NDIMS(A)+1. The work is done by
%   the compiled module PLORVENT_FILTER, one pass over A for each
%   probability, in pieces of 2^20 outputs: a call's peak beyond A is Q
%   and, for each thread, about 16*2^20 bytes and 250*K more (K taken as
%   at least 4096), whatever the length of A: at 10^7 double elements, one
%   P and K = 101, 76 MiB and at most 17 MiB a thread. In GNU Octave a
%   Ctrl-C stops a long call
%   (plorvent_movquantile:interrupted).
%
%   Example: lower quartiles of windows of 3
%     A = [4 8 6 -1 -2 -3 -1 3 4 5];
%     plorvent_movquantile(A, 0.25, 3)
%       % 4  4.5  0.75  -1.75  -2.75  -2.75  -2.5  0  3.25  4
%     plorvent_movquantile(A, 0.25, 3, 'Method', 7)
%       % 5  5  2.5  -1.5  -2.5  -2.5  -2  1  3.5  4.25
%     Q = plorvent_movquantile(A, [0.25 0.75], 3);   % 1-by-10-by-2
%     squeeze(Q(1, 1:3, :))
%       % 4  8;  4.5  7.5;  0.75  7.5
%
%   Text arguments may be character rows or string scalars, in any case,
%   and option names any prefix that names one option ("Meth", "End").
%
%   Errors carry the identifiers plorvent_movquantile:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :invalidProbability, :invalidWindow,
%   :invalidDim, :invalidFlag, :unknownOption, :missingOptionValue,
%   :invalidOptionValue (also a method other than 1 to 9),
%   :invalidSamplePoints, :interrupted and :moduleNotFound; the README's
%   table "Errors" says when each is raised, in every function of the
%   toolbox.
%
%   See also PLORVENT_MOVPRCTILE, PLORVENT_MOVMEDIAN, PLORVENT_MOVMAD, QUANTILE.

require_arguments(nargin, nargout, [3 Inf 1], 'plorvent_movquantile', ...
                  'Q = plorvent_movquantile(A, p, k, ...)');
Q = moving_quantiles(A, p, 1, k, varargin, 'plorvent_movquantile');
end

%!test
%! A = [4 8 6 -1 -2 -3 -1 3 4 5];
%! assert(plorvent_movquantile(A, 0.25, 3), [4 4.5 0.75 -1.75 -2.75 -2.75 -2.5 0 3.25 4], 1e-12);
%! assert(plorvent_movquantile(A, 0.25, 3, 'Method', 7), ...
%!        [5 5 2.5 -1.5 -2.5 -2.5 -2 1 3.5 4.25], 1e-12);
%! assert(plorvent_movquantile(A, [0 1], [1 0]), cat(3, [4 4 6 -1 -2 -3 -3 -1 3 4], ...
%!                                                   [4 8 8 6 -1 -2 -1 3 4 5]));
%! assert(plorvent_movquantile(A, 0.5, 4, "omitnan", "End", "discard"), ...
%!        plorvent_movmedian(A, 4, 'omitnan', 'Endpoints', 'discard'));
%! assert(size(plorvent_movquantile(ones(2, 3), [0.1 0.5 0.9], 2)), [2 3 3]);
%! assert(plorvent_movquantile(A, [], 3), plorvent_movquantile(A, [0 0.25 0.5 0.75 1], 3));
%!error id=plorvent_movquantile:invalidProbability plorvent_movquantile(1:5, 1.5, 3)
%!error id=plorvent_movquantile:invalidOptionValue plorvent_movquantile(1:5, 0.5, 3, 'Method', 10)

%!demo
%! % The band between the moving 10% and 90% quantiles of a noisy sine with outliers
%! t = (0:499)' / 500;
%! x = sin(2 * pi * t) + 0.2 * randn(500, 1);
%! x(50:97:500) = 3;
%! Q = plorvent_movquantile(x, [0.1 0.5 0.9], 51);
%! plot(t, x, '.', t, squeeze(Q), '-');
%! legend('signal', '10%', 'median', '90%');
