function [Q, varargout] = plorvent_movprctile(A, p, k, varargin)
%PLORVENT_MOVPRCTILE Moving percentile, with the windows and options of MOVMEDIAN.
%   Q = PLORVENT_MOVPRCTILE(A, P, K) replaces each element of A by the P-th
%   percentile (0 <= P <= 100) of a window of K elements around it: it is
%   PLORVENT_MOVQUANTILE(A, P/100, K), and takes all that it takes after K
%   ([KB KF], DIM, NANFLAG, 'Endpoints', 'SamplePoints', 'Method' 1 to 9).
%
%   A vector P gives one result per percentage, stacked along the first
%   dimension beyond A's, NDIMS(A)+1: Q(:, ..., :, j) is the result for
%   P(j). An empty P stands for [0 25 50 75 100], as PRCTILE takes it.
%
%   Q has A's class: double, single, or A's integer class (a result between
%   two elements rounded to the nearest, halves away from zero); logical A
%   gives double. It has the size of A (shorter along DIM with 'discard'),
%   times NUMEL(P) along NDIMS(A)+1. Its peak memory is that of
%   PLORVENT_MOVQUANTILE. In GNU Octave a Ctrl-C stops a long call
%   (plorvent_movprctile:interrupted).
%
%   Example: the 90th percentile of windows of 3, and of the trailing
%   windows of 3 by the inverse of the empirical distribution (method 1)
%     A = [4 8 6 -1 -2 -3 -1 3 4 5];
%     plorvent_movprctile(A, 90, 3)
%       % 8  8  8  6  -1  -1  3  4  5  5
%     plorvent_movprctile(A, 90, [2 0], 'Method', 1)
%       % 4  8  8  8  6  -1  -1  3  4  5
%
%   Errors carry the identifiers plorvent_movprctile:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :invalidProbability (P not from 0 to
%   100), :invalidWindow, :invalidDim, :invalidFlag, :unknownOption,
%   :missingOptionValue, :invalidOptionValue (also a method other than 1 to
%   9), :invalidSamplePoints, :interrupted and :moduleNotFound; the README's
%   table "Errors" says when each is raised, in every function of the
%   toolbox.
%
%   See also PLORVENT_MOVQUANTILE, PLORVENT_MOVMEDIAN, PRCTILE.

require_arguments(nargin, nargout, [3 Inf 1], 'plorvent_movprctile', ...
                  'Q = plorvent_movprctile(A, p, k, ...)');
Q = moving_quantiles(A, p, 100, k, varargin, 'plorvent_movprctile');
end

%!test
%! A = [4 8 6 -1 -2 -3 -1 3 4 5];
%! assert(plorvent_movprctile(A, 90, 3), [8 8 8 6 -1 -1 3 4 5 5]);
%! assert(plorvent_movprctile(A, 90, [2 0], 'Method', 1), [4 8 8 8 6 -1 -1 3 4 5]);
%! assert(plorvent_movprctile(A, [30 70], 4, 'omitnan', 'Method', 8), ...
%!        plorvent_movquantile(A, [0.3 0.7], 4, 'omitnan', 'Method', 8));
%! assert(plorvent_movprctile(A, zeros(1, 0), 3), plorvent_movprctile(A, [0 25 50 75 100], 3));
%!error id=plorvent_movprctile:invalidProbability plorvent_movprctile(1:5, 101, 3)
%!error id=plorvent_movprctile:notEnoughInputs plorvent_movprctile(1:5, 50)

%!demo
%! % Quartiles of a random walk over windows of 25 samples
%! x = cumsum(randn(300, 1));
%! plot(1:300, x, '.', 1:300, squeeze(plorvent_movprctile(x, [25 50 75], 25)), '-');
%! legend('signal', '25th', '50th', '75th percentile');
