function Q = moving_quantiles(A, p, scale, k, args, caller)
%MOVING_QUANTILES The moving quantiles of A of the probabilities P/SCALE (SCALE 1 for
%   probabilities, 100 for percents) over the windows K and the arguments ARGS, read as
%   MOVING_SETTINGS reads them, with the option 'Method' (1 to 9 as QUANTILE numbers them; 5 by
%   default). One result per probability, stacked along dimension NDIMS(A)+1; an empty P stands
%   for the quartiles. Every argument is checked before any work; faults are raised under
%   CALLER's prefix, a P that is not a vector of numbers from 0 to SCALE as
%   CALLER:invalidProbability.
A = checked_signal(A, caller);
p = probabilities_of(p, scale, caller);
method_row = {'Method', 5, @(v, prefix) whole_option(v, 'Method', 1, 9, prefix)};
[windows, options] = moving_settings(A, k, args, caller, method_row);
windows.statistic = 'quantile';
windows.method = options.Method;
results = cell(1, numel(p));
for j = 1:numel(p)
  windows.p = p(j);
  results{j} = moving_statistics(A, windows, caller);
end
Q = cat(ndims(A) + 1, results{:});
end

function p = probabilities_of(p, scale, caller)
% P as a row of doubles from 0 to 1. An empty P stands for the quartiles 0, 1/4, 1/2, 3/4 and 1,
% as QUANTILE and PRCTILE take it.
ok = (isnumeric(p) || islogical(p)) && isreal(p) && (isvector(p) || isempty(p));
if ok && isempty(p)
  p = [0 0.25 0.5 0.75 1] * scale;
end
if ok
  p = full(double(p(:)'));
  ok = all(p >= 0 & p <= scale);  % NaN fails both
end
if ~ok
  error([caller ':invalidProbability'], ...
        'P must be a number or a vector of numbers from 0 to %d (not NaN).', scale);
end
p = p / scale;
end
