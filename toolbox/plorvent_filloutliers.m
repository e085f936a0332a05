function [B, TF, L, U, C, varargout] = plorvent_filloutliers(A, fill, varargin)
%PLORVENT_FILLOUTLIERS Outliers by a moving median replaced, as FILLOUTLIERS does with 'movmedian'.
%   B = PLORVENT_FILLOUTLIERS(A, FILLMETHOD, 'movmedian', WINDOW) replaces
%   the outliers of A that PLORVENT_ISOUTLIER(A, 'movmedian', WINDOW) finds
%   (the elements more than 3 scaled MAD from their window's median; NaN are
%   left out and never outliers) by the FILLMETHOD:
%     'center'    the window's median C
%     'clip'      the bound it crossed: L below, U above
%     'previous'  the previous element that is neither outlier nor NaN
%     'next'      the next one
%     'nearest'   the nearest one
%     'linear', 'spline', 'pchip'
%                 interpolated (INTERP1) from the elements that are neither
%                 outliers nor NaN, extrapolated past the first and last;
%                 'spline' and 'pchip' from the finite ones only (through an
%                 infinite value they would give NaN everywhere)
%     V           the number V
%   Interpolation runs along the signal, at the sample points where given
%   (of several elements at one point, the first counts), at the elements'
%   positions otherwise. An outlier with no element to take a value from
%   ('previous' before the first, 'next' after the last, or a signal with
%   fewer than two usable elements at distinct points) keeps its value.
%
%   B = PLORVENT_FILLOUTLIERS(A, FILLMETHOD, 'movmedian', WINDOW, DIM) and
%   the options 'ThresholdFactor', T and 'SamplePoints', P are as in
%   PLORVENT_ISOUTLIER.
%
%   [B, TF, L, U, C] = PLORVENT_FILLOUTLIERS(...) also returns TF, true at
%   the outliers found (logical), and the bounds and medians as
%   PLORVENT_ISOUTLIER returns them.
%
%   B has the size and class of A (an integer class takes the fills rounded
%   to the nearest, halves away from zero, and saturated); logical A gives
%   double. L, U and C are single for single A and double otherwise. int64
%   and uint64 elements beyond 2^53 are tested exactly, as in
%   PLORVENT_ISOUTLIER; 'center' fills them with the exact median rounded
%   into their class, 'clip' with the bound L or U so rounded. The compiled
%   module PLORVENT_FILTER finds the outliers and makes the 'center', 'clip'
%   and constant fills in one pass over the windows, computing L, U and C
%   only where they are asked for; the other fills start from the TF it
%   returns. A call's peak beyond A is the outputs asked for and, for each
%   thread, about 16*2^20 bytes and 250*K more (K, the window's length,
%   taken as at least 4096): at 10^7 double elements and a window of 101,
%   B alone is 76 MiB and all five 315 MiB, and the work at most 17 MiB a
%   thread. The interpolating fills take, B among them, up to 11 arrays of
%   doubles of A's size ('spline' and 'pchip', through INTERP1, about 45).
%   In GNU Octave a Ctrl-C stops a long call
%   (plorvent_filloutliers:interrupted). Detection methods other than 'movmedian' and the fill
%   method 'makima' are refused (plorvent_filloutliers:unsupportedMethod):
%   MATLAB's FILLOUTLIERS serves them.
%
%   Example: a spike and a step at the end
%     A = [1 2 4 -1 -2 30 -1 3 2 1 40];
%     plorvent_filloutliers(A, 'center', 'movmedian', 5)
%       % 1  2  4  -1  -2  -1  -1  3  2  1  2
%     plorvent_filloutliers(A, 'previous', 'movmedian', 5)
%       % 1  2  4  -1  -2  -2  -1  3  2  1  1
%     plorvent_filloutliers(A, 'linear', 'movmedian', 5)
%       % 1  2  4  -1  -2  -1.5  -1  3  2  1  0
%     plorvent_filloutliers(int8(A), "linear", "movmedian", 5)
%       % 1  2  4  -1  -2  -2  -1  3  2  1  0   (int8)
%     [B, TF] = plorvent_filloutliers(A, 0, 'movmedian', 5);
%       % B:  1  2  4  -1  -2  0  -1  3  2  1  0
%       % TF: 0  0  0  0  0  1  0  0  0  0  1
%
%   Text arguments may be character rows or string scalars, in any case;
%   option names may be shortened to any prefix that names one option.
%
%   Errors carry the identifiers plorvent_filloutliers:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :invalidFillMethod, :unsupportedMethod,
%   :invalidWindow, :invalidDim, :invalidThreshold, :unknownOption,
%   :missingOptionValue, :invalidSamplePoints, :interrupted and
%   :moduleNotFound; the README's table "Errors" says when each is raised,
%   in every function of the toolbox.
%
%   See also PLORVENT_ISOUTLIER, PLORVENT_HAMPEL, PLORVENT_MOVMEDIAN,
%   FILLOUTLIERS.

caller = 'plorvent_filloutliers';
require_arguments(nargin, nargout, [2 Inf 5], caller, ['[B, TF, L, U, C] = ', ...
                  'plorvent_filloutliers(A, fillmethod, ''movmedian'', window, ...)']);
A = checked_signal(A, caller);
fill = fill_method(fill, caller);
[windows, threshold] = outlier_settings(A, varargin, caller);
filled_class = class(A);
if islogical(A)
  filled_class = 'double';
end
parameters = {'threshold', threshold};
if isnumeric(fill)
  % as MATLAB converts it: B keeps its class; 64-bit integers go as they are, exactly
  fill = cast(fill, filled_class);
  if ~any(strcmp(filled_class, {'int64', 'uint64'}))
    fill = double(fill);
  end
end
in_module = isnumeric(fill) || any(strcmp(fill, {'center', 'clip'}));
if in_module
  parameters = [parameters, {'fillmethod', fill}];
  results = 1:max(nargout, 1);
else
  results = 2:max(nargout, 2);  % the flags, and the statistics asked for
end
[out{1:numel(results)}] = outlier_test(A, windows, 'outliers', parameters, results, caller);
if ~in_module
  B = interpolated(cast(A, filled_class), out{1}, fill, windows);
  out = [{B}, out];
end
out(end + 1:5) = {[]};
[B, TF, L, U, C] = out{:};
end

function fill = fill_method(given, caller)
% The fill method in normal form: a method's name, or the constant (as NUMBER_OR_CHOICE gives it).
methods = {'center', 'clip', 'previous', 'next', 'nearest', 'linear', 'spline', 'pchip'};
[fill, ok] = number_or_choice(given, methods);
if ok
  return;
end
if ~isempty(matched_choice(given, {'makima'}))
  error([caller ':unsupportedMethod'], ['The fill method ''makima'' is not served here; use ', ...
        'MATLAB''s filloutliers for it.']);
end
error([caller ':invalidFillMethod'], ['FILLMETHOD must be a real numeric scalar or one of ', ...
      '''%s''.'], strjoin(methods, ''', '''));
end

function B = interpolated(B, TF, method, windows)
% Each outlier of B replaced by interpolating, along the signal, the samples that are neither
% outliers nor NaN (nor infinite, for 'spline' and 'pchip'), at the sample points (their
% positions where there are none). 'previous' and 'next' leave an outlier with no such sample
% before or after it as it is; the others extrapolate. A signal with fewer than two such samples
% at distinct points is left as it is.
dim = windows.dim;
n = size(B, dim);
order = [dim, setdiff(1:max(ndims(B), dim), dim)];
signals = reshape(permute(B, order), n, []);
outliers = reshape(permute(TF, order), n, []);
t = windows.times;
if isempty(t)
  t = (1:n)';
end
% A spline or pchip through one infinite value is NaN everywhere: those fill from finite values.
usable = @(v) ~isnan(v);
if any(strcmp(method, {'spline', 'pchip'}))
  usable = @isfinite;
end
for c = find(any(outliers, 1))
  signal = signals(:, c);
  known = ~outliers(:, c) & usable(signal);
  points = t(known);
  values = double(signal(known));
  first = [true; diff(points) > 0];  % the first sample at each point
  if nnz(first) < 2
    continue;
  end
  at = find(outliers(:, c));
  value = interp1(points(first), values(first), t(at), method, 'extrap');
  filled = ~isnan(value);
  if strcmp(method, 'previous')
    filled = filled & t(at) >= points(1);  % an outlier before the first has no previous value
  elseif strcmp(method, 'next')
    filled = filled & t(at) <= points(end);
  end
  signals(at(filled), c) = value(filled);
end
B = ipermute(reshape(signals, size(permute(B, order))), order);
end

%!test
%! A = [1 2 4 -1 -2 30 -1 3 2 1 40];
%! assert(plorvent_filloutliers(A, 'center', 'movmedian', 5), [1 2 4 -1 -2 -1 -1 3 2 1 2]);
%! assert(plorvent_filloutliers(A, 'previous', 'movmedian', 5), [1 2 4 -1 -2 -2 -1 3 2 1 1]);
%! assert(plorvent_filloutliers(A, 'linear', 'movmedian', 5), [1 2 4 -1 -2 -1.5 -1 3 2 1 0]);
%! assert(plorvent_filloutliers(int8(A), "linear", "movmedian", 5), int8([1 2 4 -1 -2 -2 -1 3 2 1 0]));
%! [B, TF] = plorvent_filloutliers(A, 0, 'movmedian', 5);
%! assert(B, [1 2 4 -1 -2 0 -1 3 2 1 0]);
%! assert(TF, logical([0 0 0 0 0 1 0 0 0 0 1]));
%! [B, TF] = plorvent_filloutliers([1 2 1 50 1 2 Inf], 'pchip', 'movmedian', 3);
%! assert(TF, logical([0 1 0 1 0 0 0]));
%! assert(B, [1 1 1 1 1 2 Inf]);             % pchip through (1,1) (3,1) (5,1) (6,2)
%!error id=plorvent_filloutliers:invalidFillMethod plorvent_filloutliers(1:5, 'cubic', 'movmedian', 3)
%!error id=plorvent_filloutliers:unsupportedMethod plorvent_filloutliers(1:5, 'linear', 'grubbs')

%!demo
%! t = (1:100)';
%! A = sin(t / 8) + 0.1 * randn(100, 1);
%! A([20 55 80]) = [3 -2 4];
%! B = plorvent_filloutliers(A, 'pchip', 'movmedian', 9);
%! plot(t, A, t, B);
%! legend('data', 'outliers filled');
