function points = sample_points_of(v, caller)
%SAMPLE_POINTS_OF The sample points V of a moving statistic in normal form: their times as a
%   double column (datetime and duration values in seconds, a datetime from the first one), and
%   whether they were datetime or duration. Anything else is CALLER:invalidSamplePoints.
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
if ok
  t = full(double(t(:)));  % in double: differences of integers saturate at 0
  ok = all(isfinite(t)) && all(diff(t) >= 0);
end
if ~ok
  error([caller ':invalidSamplePoints'], ['SamplePoints must be a vector of finite real ', ...
        'times in ascending order (numbers, or datetime or duration values).']);
end
points = struct('seconds', t, 'timed', timed);
end
