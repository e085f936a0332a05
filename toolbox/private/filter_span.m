function m = filter_span(read, len, first, last, half_width, padding, include_nan)
%FILTER_SPAN Outputs FIRST ... LAST (a column) of the running median of a signal of LEN samples,
%   in one core call that gets the HALF_WIDTH samples on either side of the span, from the
%   signal or from PADDING, as its extensions. READ(K) returns the signal's samples at the
%   ascending indices K; only the samples the span's windows hold are read, so the work arrays
%   hold LAST-FIRST+1 + 2*HALF_WIDTH samples whatever LEN is. INCLUDE_NAN sets the outputs of
%   windows holding a NaN to NaN.
t = (first - half_width:last + half_width)';
if t(1) >= 1 && t(end) <= len
  samples = read(t);
else
  samples = padded_samples(read, padded_sources(t, len, padding.mode), len, padding.fill);
end
samples = samples(:);
if include_nan
  % A window holding a NaN gives NaN whatever else it holds, so the core gets +Inf in place of
  % each NaN, which keeps it off its slow exact path; those windows are set to NaN afterwards,
  % and no other window holds a replaced sample.
  nan_mask = isnan(samples);
  samples(nan_mask) = Inf;
end
m = plorvent_core(samples(half_width + 1:end - half_width), samples(1:half_width), ...
                  samples(end - half_width + 1:end), half_width);
if include_nan
  m = with_nan_windows(m, nan_mask, half_width);
end
end

function samples = padded_samples(read, source, len, fill)
% The samples at SOURCE (indices into [signal; fill]), each distinct one read once.
samples = repmat(fill, numel(source), 1);
inside = source <= len;
[k, ~, where] = unique(source(inside));
values = read(k(:));
samples(inside) = values(where);
end
