function y = moving_medians(x, back, forward, dim, omit_nan, ends, times, forward_open, threads)
%MOVING_MEDIANS The moving median of every signal of X along DIM, computed by the
%   plorvent_filter module's moving mode: windows reaching BACK and FORWARD samples (or, with
%   TIMES nonempty, that long in the units of TIMES, the forward end left out when
%   FORWARD_OPEN), NaN omitted when OMIT_NAN, and ENDS either 'shrink' (clipped to the signal)
%   or a padding constant (NaN for 'fill'). An integer X pads with the constant in its class.
%   THREADS, when given, is the number of worker threads (by default the host's).
if nargin < 9
  threads = host_threads();
end
padded = ~ischar(ends);
fill = 0;
if padded
  fill = full(double(ends));
  if isinteger(x)
    fill = double(cast(fill, class(x)));
  end
end
y = plorvent_filter('moving', x, back, forward, dim, double(omit_nan), double(padded), fill, ...
                    full(double(times(:))), double(forward_open), threads);
end
