function varargout = moving_statistics(x, windows, caller)
%MOVING_STATISTICS The moving statistic of every signal of X over the WINDOWS (see
%   MOVING_WINDOWS: the median, a quantile, the MAD or an outlier test), computed by the
%   plorvent_filter module's moving mode: [Y, MEDIANS] with the MAD (MEDIANS each window's
%   median), or the results WINDOWS.results names (the first NARGOUT where it names none).
%   Faults are raised under CALLER's prefix: signals longer than the module serves are
%   CALLER:invalidInput.
require_served(x, windows.dim, caller);
if windows.discard
  % Only the outputs whose windows lie wholly inside the signal are computed; where there are
  % none, or nothing to compute, the result is their part of X, of its size.
  keep = whole_windows(size(x, windows.dim), windows);
  if keep(1) > keep(2) || isempty(x)
    x = part_along(x, windows.dim, keep(1):keep(2));
  else
    windows.outputs = keep;
  end
end
results = windows.results;
if isempty(results)
  results = 1:max(nargout, 1);
end
if isempty(x) && isempty(windows.planned_length)
  % Nothing to compute; the times and reaches of an empty signal are not the module's to check.
  varargout = arrayfun(@(r) zeros(size(x), result_class(x, windows.statistic, r)), results, ...
                       'UniformOutput', false);
else
  [varargout{1:numel(results)}] = module_statistics(x, windows, caller, results);
end
end

function name = result_class(x, statistic, r)
% The class of result R, as the module makes it: means of two samples are not logical, so
% logical signals give doubles; an outlier test's flags are logical and its statistics single
% for single X, double otherwise.
name = class(x);
if islogical(x)
  name = 'double';
end
if any(strcmp(statistic, {'hampel', 'outliers'})) && r > 1
  name = 'double';
  if r == 2
    name = 'logical';
  elseif isa(x, 'single')
    name = 'single';
  end
end
end

function varargout = module_statistics(x, windows, caller, results)
threads = windows.threads;
if isempty(threads)
  threads = host_threads();
end
padded = ~ischar(windows.ends);
fill = 0;
if padded
  fill = fill_in_class(x, windows.ends);
end
args = {'moving', x, windows.back, windows.forward, windows.dim, double(windows.omit_nan), ...
        double(padded), fill, windows.times(:), double(windows.open), threads};
options = {'outputs', windows.outputs; 'blocksize', windows.block; 'budget', windows.budget; ...
           'length', windows.planned_length};
if ~strcmp(windows.statistic, 'median')
  options = [options; {'statistic', windows.statistic}];
end
if strcmp(windows.statistic, 'quantile')  % the module takes p and method with a quantile only
  options = [options; {'p', windows.p; 'method', windows.method}];
end
options = [options; reshape(windows.test, 2, [])'];
if ~isempty(windows.results)
  options = [options; {'results', results}];
end
given = ~cellfun(@isempty, options(:, 2));
args = [args, reshape(options(given, :)', 1, [])];
try
  [varargout{1:numel(results)}] = plorvent_filter(args{:});
catch err
  rethrow_as(with_budget_advice(err), caller);
end
end

function require_served(x, dim, caller)
if size(x, dim) > 2147483646 && ~isempty(x)
  error([caller ':invalidInput'], ...
        'The signals along DIM hold %d samples; moving medians serve at most 2147483646.', ...
        size(x, dim));
end
end

function keep = whole_windows(n, windows)
% The first and last of the N outputs whose windows lie wholly inside the signal (they follow
% one another: the times ascend); the first is after the last where there are none. In time, a
% window at t lies inside when t - back >= t(1) and t + forward <= t(end), decided exactly: far
% from zero t - back may round to a time the window does not reach.
times = windows.times;
if isempty(times)
  keep = [1 + windows.back, n - windows.forward];
else
  inside = find(at_least_sum(times, times(1), windows.back) & ...
                at_most_sum(times, times(end), -windows.forward));
  keep = [min([inside(:); n + 1]), max([inside(:); 0])];
end
end

function yes = at_least_sum(t, a, b)
% Whether each T >= A + B, the exact sum: T lies above its rounding S, or is S where S rounded up.
[s, e] = sum_and_error(a, b);
yes = t > s | (t == s & e <= 0);
end

function yes = at_most_sum(t, a, b)
[s, e] = sum_and_error(a, b);
yes = t < s | (t == s & e >= 0);
end

function [s, e] = sum_and_error(a, b)
% A + B rounded, and the exact error A + B - S (Knuth's two-sum); where S is infinite, no time is S.
s = a + b;
b_part = s - a;
e = (a - (s - b_part)) + (b - b_part);
end

function x = part_along(x, dim, positions)
% X at POSITIONS along DIM.
index = repmat({':'}, 1, max(ndims(x), dim));
index{dim} = positions;
x = x(index{:});
end
