function source = padded_sources(t, len, mode)
%PADDED_SOURCES For each position T (1-based; below 1 or above LEN in the padding) of a signal of
%   LEN samples extended by padding MODE, the index into [signal; fill] of the sample standing
%   there: LEN+1 is the fill constant.
switch mode
  case 'replicate'
    source = min(max(t, 1), len);
  case 'periodic'
    source = mod(t - 1, len) + 1;
  case 'symmetric'
    % Period 2*len: x(1) ... x(len) x(len) ... x(1).
    phase = mod(t - 1, 2 * len);
    source = min(phase, 2 * len - 1 - phase) + 1;
  otherwise
    source = t;
    source(t < 1 | t > len) = len + 1;
end
end
