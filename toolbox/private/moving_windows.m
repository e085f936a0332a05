function windows = moving_windows(back, forward, dim)
%MOVING_WINDOWS The windows of a moving statistic as MOVING_STATISTICS takes them: BACK samples
%   before each one to FORWARD samples after it, along dimension DIM, clipped to the signal, NaN
%   included. Callers set the other fields:
%     open      true: the forward end itself is left out (a scalar K in time)
%     omit_nan  true: NaN are left out of their windows
%     ends      'shrink' (clipped to the signal) or a padding constant (NaN for 'fill')
%     discard   true: only the outputs whose windows lie wholly inside the signal are kept
%     times     [] or the times of the samples along DIM; BACK and FORWARD are then lengths of
%               time in their units
%     threads   [] (the host's thread count) or the worker threads to run on
%     block     [] or the most outputs a piece computes
%     budget    [] or the most bytes of work memory the call may take
%     outputs   [] or [FIRST LAST]: only those outputs of each signal are computed
%     planned_length
%               [] or N: the call is only planned, for signals of N samples (X holds none
%               along DIM), and gives the bytes of work memory it takes
%     statistic 'median' (the default), 'quantile' (of probability p, from 0 to 1, by method
%               1 to 9 as QUANTILE numbers them), 'mad' (the median absolute deviation), or an
%               outlier test, 'hampel' or 'outliers' (see OUTLIER_TEST)
%     test      the outlier test's parameters: name-value pairs for the module ('nsigma',
%               'threshold', 'scale', 'fillmethod')
%     results   [] (the first NARGOUT) or the numbers of the statistic's results to compute, in
%               the order they are returned
windows = struct('back', back, 'forward', forward, 'dim', dim, 'open', false, ...
                 'omit_nan', false, 'ends', 'shrink', 'discard', false, 'times', [], ...
                 'threads', [], 'block', [], 'budget', [], 'outputs', [], 'planned_length', [], ...
                 'statistic', 'median', 'p', 0.5, 'method', 5, 'test', {{}}, 'results', []);
end
