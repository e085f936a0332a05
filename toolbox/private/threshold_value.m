function t = threshold_value(v, name, caller)
%THRESHOLD_VALUE The threshold V named NAME (how many scaled MADs from the median a sample may lie
%   before it is an outlier) as a double: a finite real number, 0 or more. Anything else is
%   CALLER:invalidThreshold.
if ~(isnumeric(v) && isreal(v) && isscalar(v) && isfinite(v) && v >= 0)
  error([caller ':invalidThreshold'], '%s must be a finite real number, 0 or more.', name);
end
t = full(double(v));
end
