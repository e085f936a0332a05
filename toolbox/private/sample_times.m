function seconds = sample_times(points, count, dim, caller)
%SAMPLE_TIMES The times in seconds of sample points POINTS (from SAMPLE_POINTS_OF) for a signal
%   of COUNT elements along DIM, refused (CALLER:invalidSamplePoints) unless there is one for
%   each element.
seconds = points.seconds;
if numel(seconds) ~= count
  error([caller ':invalidSamplePoints'], ...
        'SamplePoints must hold %d times, one for each element along dimension %d.', count, dim);
end
end
