function [windows, options] = moving_settings(A, k, args, caller, option_rows)
%MOVING_SETTINGS The windows of a moving statistic of A called as MOVMEDIAN is, as MOVING_WINDOWS
%   describes them: the window K (a length, or [KB KF]) and, in ARGS, DIM, then NANFLAG (each
%   optional), then the name-value options 'Endpoints' and 'SamplePoints', and those of
%   OPTION_ROWS (rows as OPTION_VALUES reads them), whose values OPTIONS returns. SamplePoints may be
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
rows = {'Endpoints', 'shrink', @endpoints_of; 'SamplePoints', [], @sample_points_of};
if nargin >= 5
  rows = [rows; option_rows];
end
options = option_values(rest, rows, caller);
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
  windows.times = sample_times(points, size(A, dim), dim, caller);
  require_clipped_ends(windows, caller);
end
options = rmfield(options, {'Endpoints', 'SamplePoints'});
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

function require_clipped_ends(windows, caller)
if ~ischar(windows.ends)
  error([caller ':invalidOptionValue'], ['Windows in time hold only the elements inside the ', ...
        'signal: with SamplePoints, Endpoints must be ''shrink'' or ''discard''.']);
end
end
