function [back, forward, open] = window_reach(k, points, caller)
%WINDOW_REACH How far the windows K of a moving statistic reach back and forward: K a length
%   (the forward end then left out: OPEN) or [KB KF], in samples, or in the units of the sample
%   POINTS (SAMPLE_POINTS_OF; seconds for datetime and duration ones, whose K is a duration).
%   Anything else is CALLER:invalidWindow.
timed = ~isempty(points) && points.timed;
if isa(k, 'duration') ~= timed
  error([caller ':invalidWindow'], ['K must be a duration when SamplePoints are datetime or ', ...
        'duration values, and a number otherwise.']);
end
if timed
  k = seconds(k);
end
if ~(isnumeric(k) && isreal(k) && (isscalar(k) || (isvector(k) && numel(k) == 2)) && ...
     all(k >= 0) && ~any(isnan(k)) && (numel(k) == 2 || k > 0))
  error([caller ':invalidWindow'], ...
        'K must be a positive scalar or a vector [KB KF] of two numbers, 0 or more.');
end
k = full(double(k));
open = isscalar(k);
if open
  k = [k k] / 2;
end
back = k(1);
forward = k(2);
if isempty(points)
  % The whole positions from i-back up to i+forward (that end left out for a scalar K): on the
  % positions 1, 2, ... these are the windows in time.
  back = floor(back);
  forward = ceil(forward) - 1;
  if ~open
    forward = floor(k(2));
  end
end
end
