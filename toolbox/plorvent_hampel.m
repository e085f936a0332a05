function [y, j, xmedian, xsigma, varargout] = plorvent_hampel(x, k, nsigma, varargin)
%PLORVENT_HAMPEL Hampel filter: outliers replaced by their window's median, as HAMPEL does.
%   Y = PLORVENT_HAMPEL(X) replaces each outlier of the signal X by the median
%   of the window of 7 samples centred on it (3 on each side). A sample is an
%   outlier where it lies more than 3 standard deviations from that median:
%   |X(i) - XMEDIAN(i)| > 3*XSIGMA(i), where XSIGMA(i) = kappa*MAD(i), the
%   median absolute deviation of the window's samples from their median
%   scaled by kappa = -1/(sqrt(2)*erfcinv(3/2)), about 1.4826, so that it
%   estimates the standard deviation of normally distributed samples.
%   Near the ends the windows shrink to the samples that exist. NaN are left
%   out of both statistics, and a NaN sample is no outlier (the comparison
%   above is false for it): it stays NaN, as in HAMPEL (earlier versions
%   flagged it and replaced it by its window's median). A window whose
%   median is infinite has a NaN XSIGMA and flags nothing. A matrix X is
%   filtered column by column, each column a channel; a row or column
%   vector is one signal.
%
%   Y = PLORVENT_HAMPEL(X, K) uses K samples on each side (a whole number, 0
%   or more; default 3): windows of up to 2*K+1 samples.
%
%   Y = PLORVENT_HAMPEL(X, K, NSIGMA) takes as outliers the samples more
%   than NSIGMA standard deviations from the median (a finite number, 0 or
%   more; default 3). [] stands for the default of K or NSIGMA.
%
%   [Y, J, XMEDIAN, XSIGMA] = PLORVENT_HAMPEL(...) also returns J, true at
%   the outliers (logical), and each window's median XMEDIAN and standard
%   deviation XSIGMA.
%
%   PLORVENT_HAMPEL(...) with no output argument plots the signal, the
%   filtered signal and the outliers (circles) against the sample number, a
%   channel in each panel.
%
%   Y has the size and class of X (an integer class takes the medians
%   rounded to the nearest, halves away from zero); logical X gives double.
%   XMEDIAN and XSIGMA are single for single X and double otherwise: integer
%   and logical samples are taken as doubles, so that their medians are not
%   rounded. int64 and uint64 samples beyond 2^53, which no double holds,
%   are tested exactly: |X(i) - XMEDIAN(i)| is taken from the exact median,
%   and a replaced sample takes the exact median rounded into the class.
%   The compiled module PLORVENT_FILTER computes Y, J and the statistics in
%   one pass over the windows, and only the outputs asked for: a call's
%   peak beyond X is those outputs and, for each thread, about 16*2^20
%   bytes and 250*(2*K+1) more (2*K+1 taken as at least 4096). At 10^7
%   double samples and K = 50, Y alone is 76 MiB and all four 239 MiB, and
%   the work at most 17 MiB a thread. In GNU Octave a Ctrl-C stops a long
%   call (plorvent_hampel:interrupted).
%
%   Example: a spike replaced, a NaN kept
%     x = [4 8 NaN 6 -1 -40 -2 -3];
%     [y, j] = plorvent_hampel(x)
%       % y:  4  8  NaN  6  -1  -2  -2  -3
%       % j:  0  0  0    0  0   1   0   0
%     [y, j, xmedian, xsigma] = plorvent_hampel([1 2 4 -1 -2 30 -1 3 2 1], 2);
%       % y:       1  2    4  -1  -2  -1  -1  3  2    1
%       % xmedian: 2  1.5  1   2  -1  -1   2  2  1.5  2
%       % xsigma:  1.4826  2.2239  2.9652  4.4478  1.4826  1.4826 ...
%
%   Example: a noisy sine with spikes, plotted
%     t = (0:199)' / 200;
%     x = sin(2*pi*t) + 0.05*randn(200, 1);
%     x(25:50:200) = 4;
%     plorvent_hampel(x, 5)
%
%   Errors carry the identifiers plorvent_hampel:notEnoughInputs,
%   :tooManyInputs, :tooManyOutputs, :invalidInput (X not a real numeric or
%   logical vector or matrix), :invalidWindow (K), :invalidThreshold
%   (NSIGMA), :interrupted and :moduleNotFound; the README's table "Errors"
%   says when each is raised, in every function of the toolbox.
%
%   See also PLORVENT_ISOUTLIER, PLORVENT_FILLOUTLIERS, PLORVENT_MOVMEDIAN,
%   HAMPEL.

caller = 'plorvent_hampel';
require_arguments(nargin, nargout, [1 3 4], caller, ...
                  '[y, j, xmedian, xsigma] = plorvent_hampel(x, k, nsigma)');
if nargin < 2 || selects_default(k)
  k = 3;
end
if nargin < 3 || selects_default(nsigma)
  nsigma = 3;
end
x = checked_signal(x, caller);
if ndims(x) > 2
  error([caller ':invalidInput'], ['X must be a vector or a matrix (a channel in each ', ...
        'column); it has %d dimensions.'], ndims(x));
end
if ~is_whole(k, 0, Inf)
  error([caller ':invalidWindow'], 'K must be a whole number of neighbours, 0 or more.');
end
nsigma = threshold_value(nsigma, 'NSIGMA', caller);
windows = moving_windows(full(double(k)), full(double(k)), dim_argument([], size(x), caller));
results = 1:max(nargout, 2 * (nargout == 0));  % the plot shows the filtered samples and flags
[out{1:numel(results)}] = outlier_test(x, windows, 'hampel', {'nsigma', nsigma}, results, caller);
if nargout == 0
  plot_outliers(double(x), double(out{1}), out{2});  % nothing returned: no ans printed
else
  out(end + 1:4) = {[]};
  [y, j, xmedian, xsigma] = out{:};
end
end

function plot_outliers(x, y, j)
% The signal, the filtered signal and the outliers, a channel in each panel.
if isrow(x)
  [x, y, j] = deal(x', y', j');
end
channels = size(x, 2);
n = (1:size(x, 1))';
for c = 1:channels
  if channels > 1
    subplot(channels, 1, c);
  end
  plot(n, x(:, c), n, y(:, c), n(j(:, c)), x(j(:, c), c), 'o');
  legend('Original signal', 'Filtered signal', 'Outliers');
  if channels > 1
    title(sprintf('Channel %d', c));
  end
end
end

%!test
%! [y, j] = plorvent_hampel([4 8 NaN 6 -1 -40 -2 -3]);
%! assert(y, [4 8 NaN 6 -1 -2 -2 -3]);
%! assert(j, logical([0 0 0 0 0 1 0 0]));
%! [y, j, xmedian, xsigma] = plorvent_hampel([1 2 4 -1 -2 30 -1 3 2 1], 2);
%! assert(y, [1 2 4 -1 -2 -1 -1 3 2 1]);
%! assert(xmedian, [2 1.5 1 2 -1 -1 2 2 1.5 2]);
%! kappa = -1 / (sqrt(2) * erfcinv(3 / 2));
%! assert(xsigma, kappa * [1 1.5 2 3 1 1 3 1 1 1]);
%! assert(plorvent_hampel(int8([4 8 6 -1 -100 -2 -3]), 2), int8([4 8 6 -1 -2 -2 -3]));
%! [y, j] = plorvent_hampel(uint64([2^60 0 2^60]), 1);  % a deviation below the median counts
%! assert(y, uint64([2^60 2^60 2^60]));
%! assert(j, logical([0 1 0]));
%! [~, j] = plorvent_hampel(int64(2)^60 + int64([0 1 3]), 1, 0.5);  % decided exactly
%! assert(j, logical([1 0 1]));
%!error id=plorvent_hampel:invalidWindow plorvent_hampel(1:5, -1)
%!error id=plorvent_hampel:invalidThreshold plorvent_hampel(1:5, 2, -0.5)

%!demo
%! t = (0:199)' / 200;
%! x = sin(2*pi*t) + 0.05*randn(200, 1);
%! x(25:50:200) = 4;
%! plorvent_hampel(x, 5)
