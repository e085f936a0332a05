function [TF, L, U, C, varargout] = plorvent_isoutlier(A, varargin)
%PLORVENT_ISOUTLIER Outliers by a moving median, as ISOUTLIER finds them with 'movmedian'.
%   TF = PLORVENT_ISOUTLIER(A, 'movmedian', WINDOW) is true where an element
%   of A lies more than 3 scaled MAD from the median of its window: below
%   L = C - 3*S or above U = C + 3*S, where C is the window's median and S
%   = kappa*MAD, its median absolute deviation (from C) scaled by kappa =
%   -1/(sqrt(2)*erfcinv(3/2)), about 1.4826. WINDOW is K or [KB KF], as
%   PLORVENT_MOVMEDIAN takes it: K elements centred on the element (for even
%   K, K/2 back and K/2-1 forward), or KB back and KF forward; the windows
%   shrink at the ends. NaN are left out of the statistics and are never
%   outliers. A vector is one signal; a matrix or N-d array is taken along
%   its first non-singleton dimension.
%
%   TF = PLORVENT_ISOUTLIER(A, 'movmedian', WINDOW, DIM) works along
%   dimension DIM.
%
%   TF = PLORVENT_ISOUTLIER(..., 'ThresholdFactor', T) takes as outliers the
%   elements more than T scaled MAD from the median (a finite number, 0 or
%   more; default 3).
%
%   TF = PLORVENT_ISOUTLIER(..., 'SamplePoints', P) places the elements at
%   the times P and measures WINDOW in their units, as PLORVENT_MOVMEDIAN
%   does (in MATLAB also datetime or duration values, WINDOW a duration).
%
%   [TF, L, U, C] = PLORVENT_ISOUTLIER(...) also returns the lower and upper
%   bounds L and U and the medians C, each of A's size.
%
%   TF is logical. L, U and C are single for single A and double otherwise:
%   integer and logical elements are taken as doubles (their medians are
%   not rounded). int64 and uint64 elements beyond 2^53, which no double
%   holds, are tested exactly: A - C, from the exact median, is compared
%   with the spread T*S, so TF is what exact arithmetic gives (C, L and U
%   are the nearest doubles). The compiled module PLORVENT_FILTER computes
%   TF, and L, U and C only where they are asked for, in one pass over the
%   windows: a call's peak beyond A is the outputs asked for and, for each
%   thread, about 16*2^20 bytes and 250*K more (K, the window's length,
%   taken as at least 4096). At 10^7 double elements and a window of 101,
%   TF alone is 10 MiB and all four 239 MiB, and the work at most 17 MiB a
%   thread. In GNU Octave a Ctrl-C stops a long call
%   (plorvent_isoutlier:interrupted). The other methods of ISOUTLIER
%   ('median', its default, 'mean', 'quartiles', 'grubbs', 'gesd',
%   'movmean', 'percentiles') are refused (plorvent_isoutlier:
%   unsupportedMethod): MATLAB's ISOUTLIER serves them.
%
%   Example: a spike among small values
%     A = [1 2 4 -1 -2 30 -1 3 2 1];
%     [TF, L, U, C] = plorvent_isoutlier(A, 'movmedian', 5)
%       % TF: 0  0  0  0  0  1  0  0  0  0
%       % L:  -2.4478  -5.1717  -7.8956  -11.3434  -5.4478  -5.4478 ...
%       % U:   6.4478   8.1717   9.8956   15.3434   3.4478   3.4478 ...
%       % C:   2  1.5  1  2  -1  -1  2  2  1.5  2
%     plorvent_isoutlier([1 2 NaN -1 -2 30 -1 3 2 1], "movmedian", [2 2], ...
%                        "ThresholdFactor", 1)
%       % 0  0  0  0  1  1  0  0  0  0
%
%   Text arguments may be character rows or string scalars, in any case;
%   option names may be shortened to any prefix that names one option
%   ("Thr" for 'ThresholdFactor').
%
%   Errors carry the identifiers plorvent_isoutlier:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :unsupportedMethod, :invalidWindow,
%   :invalidDim, :invalidThreshold, :unknownOption, :missingOptionValue,
%   :invalidSamplePoints, :interrupted and :moduleNotFound; the README's
%   table "Errors" says when each is raised, in every function of the
%   toolbox.
%
%   See also PLORVENT_FILLOUTLIERS, PLORVENT_HAMPEL, PLORVENT_MOVMEDIAN,
%   ISOUTLIER.

caller = 'plorvent_isoutlier';
require_arguments(nargin, nargout, [1 Inf 4], caller, ...
                  '[TF, L, U, C] = plorvent_isoutlier(A, ''movmedian'', window, ...)');
A = checked_signal(A, caller);
[windows, threshold] = outlier_settings(A, varargin, caller);
results = 2:max(nargout, 1) + 1;  % the flags, then the bounds and medians asked for
[out{1:numel(results)}] = outlier_test(A, windows, 'outliers', {'threshold', threshold}, ...
                                       results, caller);
out(end + 1:4) = {[]};
[TF, L, U, C] = out{:};
end

%!test
%! A = [1 2 4 -1 -2 30 -1 3 2 1];
%! [TF, L, U, C] = plorvent_isoutlier(A, 'movmedian', 5);
%! assert(TF, logical([0 0 0 0 0 1 0 0 0 0]));
%! assert(C, [2 1.5 1 2 -1 -1 2 2 1.5 2]);
%! kappa = -1 / (sqrt(2) * erfcinv(3 / 2));
%! assert([L; U], C + [-3; 3] * kappa * [1 1.5 2 3 1 1 3 1 1 1], 8 * eps);
%! B = [1 2 NaN -1 -2 30 -1 3 2 1];
%! assert(plorvent_isoutlier(B, "movmedian", [2 2], "Thr", 1), logical([0 0 0 0 1 1 0 0 0 0]));
%! % a half from the exact median, beyond 2^53, is beyond a threshold of 0
%! TF = plorvent_isoutlier(int64(2)^60 + int64([1 0]), 'movmedian', 3, 'ThresholdFactor', 0);
%! assert(TF, true(1, 2));
%!error id=plorvent_isoutlier:unsupportedMethod plorvent_isoutlier(1:5, 'median')
%!error id=plorvent_isoutlier:invalidThreshold plorvent_isoutlier(1:5, 'movmedian', 3, 'ThresholdFactor', -1)

%!demo
%! t = (1:100)';
%! A = sin(t / 8) + 0.1 * randn(100, 1);
%! A([20 55 80]) = [3 -2 4];
%! [TF, L, U, C] = plorvent_isoutlier(A, 'movmedian', 9);
%! plot(t, A, t, C, t, L, ':', t, U, ':', t(TF), A(TF), 'o');
%! legend('data', 'moving median', 'lower bound', 'upper bound', 'outliers');
