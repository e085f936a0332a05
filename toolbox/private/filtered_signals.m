function y = filtered_signals(x, w, padding, dim, options)
%FILTERED_SIGNALS The running median of every signal of X along DIM with window length W, the
%   PADDING and the OPTIONS of PLORVENT in normal form, computed by the plorvent_filter module in
%   X's class; its faults raised under plorvent's name.
threads = options.Threads;
if isempty(threads)
  threads = host_threads();
end
% Windows that count their samples: shrinking ones, and NaN omitted (only floating-point
% classes hold NaN; in any other the flag changes nothing).
omit_nan = strcmp(options.NaN, 'omitnan') && isfloat(x);
if omit_nan || strcmp(padding.mode, 'shrink')
  half_width = (w - 1) / 2;
  windows = moving_windows(half_width, half_width, dim);
  windows.omit_nan = omit_nan;
  windows.threads = threads;
  if strcmp(padding.mode, 'constant')
    windows.ends = padding.fill;
  end
  y = moving_medians(x, windows, 'plorvent');
  return;
end
if islogical(x) && ~(padding.fill == 0 || padding.fill == 1)
  error('plorvent:invalidPadding', ...
        'For a logical X the padding constant must be 0 or 1; it is %g.', padding.fill);
end
budget = options.MemoryBudget;
if isempty(budget)
  budget = max(2^27, 32 * numel(x));
end
codes = struct('constant', 0, 'replicate', 1, 'symmetric', 2, 'periodic', 3);
try
  y = plorvent_filter(x, w, codes.(padding.mode), fill_in_class(x, padding.fill), dim, ...
                      double(strcmp(options.NaN, 'raw')), options.BlockSize, threads, budget);
catch err
  if strcmp(err.identifier, 'plorvent_filter:windowTooLong')
    err = struct('identifier', err.identifier, ...
                 'message', [err.message ' Set a larger ''MemoryBudget'' to allow it.']);
  end
  rethrow_as(err, 'plorvent');
end
end
