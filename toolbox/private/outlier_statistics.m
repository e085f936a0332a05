function [center, scale, samples] = outlier_statistics(x, windows, caller)
%OUTLIER_STATISTICS Each window's median CENTER and scaled median absolute deviation SCALE
%   (kappa*MAD, the standard deviation that the MAD of normally distributed samples estimates)
%   over the WINDOWS of X (see MOVING_WINDOWS), NaN left out, from one pass of the module.
%   Integers and logical values are taken as doubles, which hold them exactly, so that the
%   statistics are not rounded to the integer class; SAMPLES is X in the class they are computed
%   in (X itself for floating X). 64-bit integers beyond 2^53 in magnitude, which no double
%   holds, go to the module as they are: it computes their statistics exactly, rounded once into
%   their class.
samples = x;
if islogical(x) || (isinteger(x) && held_by_double(x))
  samples = double(x);
end
windows.statistic = 'mad';
windows.omit_nan = true;
[mad, center] = moving_statistics(samples, windows, caller);
kappa = -1 / (sqrt(2) * erfcinv(3 / 2));  % 1/Phi^-1(3/4), about 1.4826
scale = kappa * mad;
end

function yes = held_by_double(x)
yes = ~(isa(x, 'int64') || isa(x, 'uint64'));
if ~yes
  limit = cast(flintmax('double'), class(x));
  yes = all(x(:) <= limit) && all(x(:) >= -limit);
end
end
