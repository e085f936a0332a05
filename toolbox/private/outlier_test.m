function varargout = outlier_test(x, windows, kind, parameters, results, caller)
%OUTLIER_TEST The RESULTS (their numbers, in the order returned) of an outlier test of X over
%   the WINDOWS (see MOVING_WINDOWS), NaN left out of the statistics, all from one pass of the
%   module, which computes only the results asked for. KIND is 'hampel' (results: the filtered
%   samples, the flags, each window's median and sigma; PARAMETERS {'nsigma', F}) or 'outliers'
%   (results: the filled samples, the flags, the lower and upper bounds, the medians;
%   PARAMETERS {'threshold', F} and, for the filled samples, {'fillmethod', 'center' | 'clip' |
%   V}, V in their class). Sigma is kappa*MAD, kappa = -1/(sqrt(2)*erfcinv(3/2)), the standard
%   deviation that the MAD of normally distributed samples estimates. The filled samples keep
%   X's class (doubles for logical X); the statistics are single for single X and double
%   otherwise. 64-bit integers beyond 2^53 are tested exactly.
windows.statistic = kind;
windows.omit_nan = true;
windows.test = [parameters, {'scale', -1 / (sqrt(2) * erfcinv(3 / 2))}];
windows.results = results;
[varargout{1:numel(results)}] = moving_statistics(x, windows, caller);
end
