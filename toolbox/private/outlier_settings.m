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
  windows.times = sample_times(points, size(A, dim), dim, caller);
end
threshold = options.ThresholdFactor;
end

function require_moving_median(args, caller)
% Of the methods MATLAB's isoutlier and filloutliers detect outliers by, only 'movmedian' is
% served; any other, also their default 'median' where no method is given, is refused.
methods = {'movmedian', 'median', 'mean', 'quartiles', 'grubbs', 'gesd', 'movmean', 'percentiles'};
given = 'no method, which stands for ''median''';
if ~isempty(args)
  [is_text, text] = text_value(args{1});
  if is_text && isequal(matched_choice(text, methods, true), 1)
    return;
  end
  if is_text
    given = ['''' text ''''];
  end
end
error([caller ':unsupportedMethod'], ['%s detects outliers by ''movmedian'' only; got %s. ', ...
      'MATLAB''s %s serves its other methods.'], caller, given, strrep(caller, 'plorvent_', ''));
end
