function y = filtered_signals(x, w, padding, dim, options, outputs)
%FILTERED_SIGNALS The running median of every signal of X along DIM with window length W, the
%   PADDING and the OPTIONS of PLORVENT in normal form, computed by the plorvent_filter module in
%   X's class; the module's refusal of a window too long for the budget raised under plorvent's
%   name. OUTPUTS = [FIRST LAST], when given, computes only those outputs of each signal.
if nargin < 6
  outputs = [];
end
threads = options.Threads;
if isempty(threads)
  threads = host_threads();
end
if counts_samples(padding, options)
  ends = 'shrink';
  if strcmp(padding.mode, 'constant')
    ends = padding.fill;
  end
  half_width = (w - 1) / 2;
  % Only floating-point classes hold NaN; in any other the flag changes nothing.
  omit_nan = strcmp(options.NaN, 'omitnan') && isfloat(x);
  y = moving_medians(x, half_width, half_width, dim, omit_nan, ends, [], false, threads, outputs);
  return;
end
fill = fill_in_class_of(x, padding.fill);
budget = options.MemoryBudget;
if isempty(budget)
  budget = max(2^27, 32 * numel(x));
end
codes = struct('constant', 0, 'replicate', 1, 'symmetric', 2, 'periodic', 3);
args = {x, w, codes.(padding.mode), fill, dim, double(strcmp(options.NaN, 'raw')), ...
        options.BlockSize, threads, budget};
if ~isempty(outputs)
  args = [args, {'outputs', outputs}];
end
try
  y = plorvent_filter(args{:});
catch err
  if strcmp(err.identifier, 'plorvent_filter:windowTooLong')
    error('plorvent:windowTooLong', '%s Set a larger ''MemoryBudget'' to allow it.', err.message);
  end
  rethrow(err);
end
end

function fill = fill_in_class_of(x, fill)
% The padding constant as X's class holds it, passed on as a double.
if islogical(x)
  if ~(fill == 0 || fill == 1)
    error('plorvent:invalidPadding', ...
          'For a logical X the padding constant must be 0 or 1; it is %g.', fill);
  end
elseif ~isa(x, 'double')
  fill = double(cast(fill, class(x)));
end
end
