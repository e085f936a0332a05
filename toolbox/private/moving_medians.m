function y = moving_medians(x, back, forward, dim, omit_nan, ends, times, forward_open, threads, ...
                           outputs)
%MOVING_MEDIANS The moving median of every signal of X along DIM, computed by the
%   plorvent_filter module's moving mode: windows reaching BACK and FORWARD samples (or, with
%   TIMES nonempty, that long in the units of TIMES, the forward end left out when
%   FORWARD_OPEN), NaN omitted when OMIT_NAN, and ENDS either 'shrink' (clipped to the signal)
%   or a padding constant (NaN for 'fill'). An integer or single X pads with the constant in
%   its class.
%   THREADS, when given and not empty, is the number of worker threads (by default the host's);
%   OUTPUTS = [FIRST LAST], when given, computes only those outputs of each signal.
if nargin < 9 || isempty(threads)
  threads = host_threads();
end
padded = ~ischar(ends);
fill = 0;
if padded
  fill = full(double(ends));
  if isinteger(x) || isa(x, 'single')
    fill = double(cast(fill, class(x)));
  end
end
args = {'moving', x, back, forward, dim, double(omit_nan), double(padded), fill, ...
        full(double(times(:))), double(forward_open), threads};
if nargin >= 10 && ~isempty(outputs)
  args = [args, {'outputs', outputs}];
end
y = plorvent_filter(args{:});
end
