function [windows, threshold] = outlier_settings(A, args, caller)
%OUTLIER_SETTINGS The windows of moving-median outlier detection in A and its threshold factor,
%   read from ARGS as ISOUTLIER's arguments after A: METHOD (which must be 'movmedian'), WINDOW
%   (a length, or [KB KF], as MOVMEDIAN takes it), DIM (optional), then the name-value options
%   'ThresholdFactor' (default 3) and 'SamplePoints'. Faults are raised under CALLER's prefix:
%   :unsupportedMethod (a method other than 'movmedian', also the default 'median' where none is
%   given), :notEnoughInputs (no window), :invalidWindow, :invalidDim, :invalidThreshold,
%   :unknownOption, :missingOptionValue, :invalidSamplePoints.
require_moving_median(args, caller);
if numel(args) < 2
  error([caller ':notEnoughInputs'], 'The method ''movmedian'' needs a window after it.');
end
rest = args(3:end);
given_dim = [];
if ~isempty(rest) && ~text_value(rest{1})
  given_dim = rest{1};
  rest = rest(2:end);
end
rows = {'ThresholdFactor', 3, @(v, caller) threshold_value(v, 'ThresholdFactor', caller); ...
        'SamplePoints', [], @sample_points_of};
options = option_values(rest, rows, caller);
dim = dim_argument(given_dim, size(A), caller);
points = options.SamplePoints;
[back, forward, open] = window_reach(args{2}, points, caller);
windows = moving_windows(back, forward, dim);
windows.open = open;
if ~isempty(points)
  if numel(points.seconds) ~= size(A, dim)
    error([caller ':invalidSamplePoints'], ...
          'SamplePoints must hold %d times, one for each element along dimension %d.', ...
          size(A, dim), dim);
  end
  windows.times = points.seconds;
end
threshold = options.ThresholdFactor;
end

function require_moving_median(args, caller)
% The methods MATLAB's isoutlier and filloutliers detect outliers by; only 'movmedian' is served.
methods = {'movmedian', 'median', 'mean', 'quartiles', 'grubbs', 'gesd', 'movmean', 'percentiles'};
index = [];
if ~isempty(args)
  index = matched_choice(args{1}, methods, true);
end
if isequal(index, 1)
  return;
end
host = strrep(caller, 'plorvent_', '');
if isempty(index)
  if ~isempty(args) && text_value(args{1})
    [~, text] = text_value(args{1});
    error([caller ':unsupportedMethod'], ['''%s'' is no outlier detection method of %s; ', ...
          'this function detects outliers by ''movmedian'' only.'], text, host);
  end
  index = 2;  % no method given: the host's default
end
error([caller ':unsupportedMethod'], ['%s detects outliers by ''movmedian'' only; for the ', ...
      'method ''%s'', use MATLAB''s %s.'], caller, methods{index}, host);
end
