function [M, varargout] = plorvent_movmedian(A, k, varargin)
%PLORVENT_MOVMEDIAN Moving median, called and answering as MOVMEDIAN does.
%   M = PLORVENT_MOVMEDIAN(A, K) replaces each element of A by the median of
%   a window of K elements around it. For odd K the window is centred on the
%   element; for even K it is centred between the element and the one
%   before it: K/2 elements back and K/2-1 forward. A vector is one signal;
%   a matrix or N-d array is taken along its first non-singleton dimension.
%   Near the ends the window shrinks to the elements that exist.
%
%   M = PLORVENT_MOVMEDIAN(A, [KB KF]) uses windows of KB elements back,
%   the element itself and KF elements forward.
%
%   A K that is not a whole number takes the elements from K/2 back up to
%   (not including) K/2 forward, and [KB KF] their whole parts, as the
%   windows in time below do on the positions 1, 2, 3, ...
%
%   M = PLORVENT_MOVMEDIAN(..., DIM) works along dimension DIM.
%
%   M = PLORVENT_MOVMEDIAN(..., NANFLAG) decides what NaN do:
%     'includenan'  a window holding a NaN gives NaN (the default)
%     'omitnan'     NaN are left out of their windows; a window of NaN only
%                   gives NaN
%   ('includemissing' and 'omitmissing' are the same flags.)
%
%   M = PLORVENT_MOVMEDIAN(..., 'Endpoints', E) decides the windows that
%   reach past the ends:
%     'shrink'   they hold the elements that exist (the default)
%     'discard'  their outputs are left out: M is shorter along DIM
%     'fill'     the elements past the ends are NaN (left out, as any NaN,
%                with 'omitnan')
%     C          the elements past the ends are the number (or logical) C
%
%   M = PLORVENT_MOVMEDIAN(..., 'SamplePoints', T) places the elements at
%   the times T (a vector, one time for each element along DIM, in
%   ascending order) and measures K in the units of T: the window of the
%   element at time t holds the elements at times from t-K/2 up to (not
%   including) t+K/2, or, for [KB KF], from t-KB to t+KF. Windows in time
%   always shrink ('shrink' or 'discard').
%
%   A window holding an odd number c of counted elements gives the middle
%   one; an even number gives the mean of the two middle ones, a and b
%   (a <= b), computed as a + (b-a)/2 when both are finite and of one sign
%   and as (a+b)/2 otherwise, so that it never overflows. A median that is
%   zero is -0 exactly when every zero among the window's counted elements
%   is -0 (+0 otherwise), so the bits never depend on how the work is cut.
%   Windows of an odd length that lie wholly inside the signal, with nothing
%   omitted, give exactly PLORVENT's results.
%
%   M has the size of A (shorter along DIM with 'discard') and A's class:
%   double, single, or A's integer class (a mean of two middle elements
%   rounded to the nearest, halves away from zero; int64 and uint64 exactly
%   however large); logical A gives double.
%   An integer A converts a padding C (or the NaN of 'fill', which gives 0)
%   to its class as the host converts, saturating (Inf gives INTMAX), and
%   an int64 or uint64 C exactly. The work is done by the compiled module PLORVENT_FILTER,
%   in pieces of 2^20 outputs: the work memory beyond A and M is, for each
%   thread, about 16*2^20 bytes and 250*K more (K taken as at least 4096),
%   whatever the length of A; with 'SamplePoints' K is the most elements a
%   window holds. A call's peak beyond A is thus M and that work: at 10^7
%   double elements and K = 101, 76 MiB and at most 17 MiB a thread. In GNU
%   Octave a Ctrl-C stops a long call
%   (plorvent_movmedian:interrupted).
%
%   Example: centred, trailing and NaN-omitting moving medians
%     A = [4 8 6 -1 -2 -3 -1 3 4 5];
%     plorvent_movmedian(A, 3)
%       % 6  6  6  -1  -2  -2  -1  3  4  4.5
%     plorvent_movmedian(A, [2 0])
%       % 4  6  6  6  -1  -2  -2  -1  3  4
%     plorvent_movmedian(A, 3, 'Endpoints', 'discard')
%       % 6  6  -1  -2  -2  -1  3  4
%     B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%     plorvent_movmedian(B, 3)
%       % 6  NaN  NaN  NaN  -2  NaN  NaN  NaN  4  4.5
%     plorvent_movmedian(B, 3, 'omitnan')
%       % 6  6  3.5  -1.5  -2  -2.5  0  3.5  4  4.5
%     plorvent_movmedian([4 8 6 -1 -2 -3], 3, 'SamplePoints', 0:5)
%       % 6  6  6  -1  -2  -2.5
%     plorvent_movmedian([4 8 6; -1 -2 -3; -1 3 4], 3, 2)
%       % 6  6  7;  -1.5  -2  -2.5;  1  3  3.5
%
%   Text arguments may be character rows or string scalars ("omitnan",
%   "Endpoints", "discard"), in any case; option names may be shortened to
%   any prefix that names one option ("End" for 'Endpoints').
%     plorvent_movmedian(B, 3, "omitnan", "Endpoints", "discard")
%       % 6  3.5  -1.5  -2  -2.5  0  3.5  4
%
%   In MATLAB, SamplePoints may also be datetime or duration values, and K
%   is then a duration:
%     t = datetime(2024, 1, 1) + minutes(0:9);
%     plorvent_movmedian(A, minutes(3), 'SamplePoints', t)
%
%   Errors carry the identifiers plorvent_movmedian:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :invalidWindow, :invalidDim,
%   :invalidFlag, :unknownOption, :missingOptionValue, :invalidOptionValue,
%   :invalidSamplePoints, :interrupted and :moduleNotFound; the README's
%   table "Errors" says when each is raised, in every function of the
%   toolbox.
%
%   See also PLORVENT_MEDFILT1, PLORVENT, MOVMEDIAN.

require_arguments(nargin, nargout, [2 Inf 1], 'plorvent_movmedian', ...
                  'M = plorvent_movmedian(A, k, ...)');
A = checked_signal(A, 'plorvent_movmedian');
windows = moving_settings(A, k, varargin, 'plorvent_movmedian');
M = moving_statistics(A, windows, 'plorvent_movmedian');
end

%!test
%! A = [4 8 6 -1 -2 -3 -1 3 4 5];
%! assert(plorvent_movmedian(A, 3), [6 6 6 -1 -2 -2 -1 3 4 4.5]);
%! assert(plorvent_movmedian(A, [2 0]), [4 6 6 6 -1 -2 -2 -1 3 4]);
%! assert(plorvent_movmedian(A, 3, 'Endpoints', 'discard'), [6 6 -1 -2 -2 -1 3 4]);
%! B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%! assert(plorvent_movmedian(B, 3), [6 NaN NaN NaN -2 NaN NaN NaN 4 4.5]);
%! assert(plorvent_movmedian(B, 3, 'omitnan'), [6 6 3.5 -1.5 -2 -2.5 0 3.5 4 4.5]);
%! assert(plorvent_movmedian(B, 3, "omitnan", "End", "discard"), [6 3.5 -1.5 -2 -2.5 0 3.5 4]);
%! assert(plorvent_movmedian([4 8 6 -1 -2 -3], 3, 'SamplePoints', 0:5), [6 6 6 -1 -2 -2.5]);
%! assert(plorvent_movmedian([4 8 6; -1 -2 -3; -1 3 4], 3, 2), [6 6 7; -1.5 -2 -2.5; 1 3 3.5]);
%!error id=plorvent_movmedian:invalidWindow plorvent_movmedian(1:5, 0)
%!error id=plorvent_movmedian:unknownOption plorvent_movmedian(1:5, 3, 'Ends', 'fill')
%!assert (plorvent_movmedian (int64 ([1 2 3]) * 2^60, 3), int64 ([3 4 5]) * 2^59)
%!assert (plorvent_movmedian (intmax ('uint64') - uint64 ([0 1 2 3]), 2), intmax ('uint64') - uint64 ([0 0 1 2]))
