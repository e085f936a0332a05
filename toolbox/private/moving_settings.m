function windows = moving_settings(A, k, args, caller)
%MOVING_SETTINGS The windows of a moving statistic of A called as MOVMEDIAN is, as MOVING_WINDOWS
%   describes them: the window K (a length, or [KB KF]) and, in ARGS, DIM, then NANFLAG (each
%   optional), then the name-value options 'Endpoints' and 'SamplePoints'. SamplePoints may be
%   numbers, or, in MATLAB, datetime or duration values, taken in seconds (a datetime from the
%   first sample point); K is then a duration. Faults are raised under CALLER's prefix:
%   :invalidWindow, :invalidDim, :invalidFlag, :unknownOption, :missingOptionValue,
%   :invalidOptionValue, :invalidSamplePoints.
next = 1;
given_dim = [];
if next <= numel(args) && ~text_value(args{next})
  given_dim = args{next};
  next = next + 1;
end
flag = '';
if next <= numel(args)
  flag = nan_flag(args{next});
  next = next + ~isempty(flag);
end
rest = args(next:end);
if any(cellfun(@(a) ~isempty(nan_flag(a)), rest(1:2:end)))
  error([caller ':invalidFlag'], 'NANFLAG is given once, after K or DIM and before the options.');
end
options = option_values(rest, {'Endpoints', 'shrink', @endpoints_of; ...
                               'SamplePoints', [], @sample_points_of}, caller);
dim = dim_argument(given_dim, size(A), caller);
points = options.SamplePoints;
[back, forward, open] = window_reach(k, points, caller);
windows = moving_windows(back, forward, dim);
windows.open = open;
windows.omit_nan = strcmp(flag, 'omitnan');
windows.discard = strcmp(options.Endpoints, 'discard');
if ~ischar(options.Endpoints)
  windows.ends = options.Endpoints;
end
if ~isempty(points)
  windows.times = points.seconds;
  require_times_fit(windows, size(A, dim), caller);
end
end

function ends = endpoints_of(v, caller)
[ends, ok] = number_or_choice(v, {'shrink', 'discard', 'fill'});
if ~ok
  error([caller ':invalidOptionValue'], ['The value of option ''Endpoints'' must be ''shrink'', ', ...
        '''discard'', ''fill'' or a real numeric or logical scalar.']);
end
if strcmp(ends, 'fill')
  ends = NaN;
end
end

function points = sample_points_of(v, caller)
% The sample points in normal form: their times as a double column (datetime and duration
% values in seconds, a datetime from the first one), and whether they were datetime or duration.
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

function [back, forward, open] = window_reach(k, points, caller)
% How far windows reach: K in samples, or in the units of the sample points (seconds for
% datetime and duration ones, whose K is a duration).
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

function require_times_fit(windows, count, caller)
if numel(windows.times) ~= count
  error([caller ':invalidSamplePoints'], ...
        'SamplePoints must hold %d times, one for each element along dimension %d.', count, ...
        windows.dim);
end
if ~ischar(windows.ends)
  error([caller ':invalidOptionValue'], ['Windows in time hold only the elements inside the ', ...
        'signal: with SamplePoints, Endpoints must be ''shrink'' or ''discard''.']);
end
end
