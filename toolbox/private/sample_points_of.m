function points = sample_points_of(v, caller)
%SAMPLE_POINTS_OF The sample points V of a moving statistic in normal form: their times as a
%   double column (datetime and duration values in seconds, a datetime from the first one; integers
%   from the first one too, so that each is exact while they span less than 2^53, as nanosecond
%   timestamps do), and whether they were datetime or duration. Anything else is
%   CALLER:invalidSamplePoints.
timed = isa(v, 'datetime') || isa(v, 'duration');
t = v;
if isa(v, 'datetime')
  t = zeros(0, 1);
  if ~isempty(v)
    t = seconds(v - v(1));
  end
elseif timed
  t = seconds(v);
end
ok = isnumeric(t) && isreal(t) && (isvector(t) || isempty(t));
if ok && isinteger(t) && ~isempty(t)
  t = t(:);
  % Compared in their class (a difference of unsigned integers saturates at 0); the differences
  % from the first are not negative once they ascend (an int64 span beyond 2^63 saturates).
  ok = all(t(2:end) >= t(1:end - 1));
  t = t - t(1);
end
if ok
  t = full(double(t(:)));
  ok = all(isfinite(t)) && all(diff(t) >= 0);
end
if ~ok
  error([caller ':invalidSamplePoints'], ['SamplePoints must be a vector of finite real ', ...
        'times in ascending order (numbers, or datetime or duration values).']);
end
points = struct('seconds', t, 'timed', timed);
end
