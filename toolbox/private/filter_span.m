function m = filter_span(read, len, first, last, half_width, padding, options)
%FILTER_SPAN Outputs FIRST ... LAST (a column) of the running median of a signal of LEN samples
%   with the PADDING and OPTIONS of PLORVENT in normal form, in one call of the plorvent_filter
%   module on the samples those outputs' windows hold. READ(K) returns the signal's samples at
%   the ascending indices K; only the samples the span's windows hold are read, so the work
%   arrays hold LAST-FIRST+1 + 2*HALF_WIDTH samples whatever LEN is.
w = 2 * half_width + 1;
if counts_samples(padding, options)
  % Windows clipped to the signal or padded with a constant: the samples they reach, as a signal
  % of their own whose ends are the signal's wherever a window meets them.
  lo = max(first - half_width, 1);
  hi = min(last + half_width, len);
  m = filtered_signals(read((lo:hi)'), w, padding, 1, options, [first last] - lo + 1);
  return;
end
% The padding generated from the signal (from its other end, for 'periodic') is read where it
% lies, so the span holds every sample its outputs' windows hold.
t = (first - half_width:last + half_width)';
if t(1) >= 1 && t(end) <= len
  samples = read(t);
else
  samples = padded_samples(read, padded_sources(t, len, padding.mode), len, padding.fill);
end
inner = struct('mode', 'constant', 'fill', 0);
m = filtered_signals(samples(:), w, inner, 1, options, half_width + [1, last - first + 1]);
end

function samples = padded_samples(read, source, len, fill)
% The samples at SOURCE (indices into [signal; fill]), each distinct one read once; the fill as
% the double samples hold it.
samples = repmat(double(fill), numel(source), 1);
inside = source <= len;
[k, ~, where] = unique(source(inside));
values = read(k(:));
samples(inside) = values(where);
end
