function y = filtered_signals(x, w, padding, dim, options, outputs, planned_length)
%FILTERED_SIGNALS The running median of every signal of X along DIM with window length W, the
%   PADDING and the OPTIONS of PLORVENT in normal form, computed by the plorvent_filter module in
%   X's class; its faults raised under plorvent's name. OUTPUTS = [FIRST LAST], when given and
%   not empty, computes only those outputs of each signal. With PLANNED_LENGTH, X is an empty
%   column of the signal's class and the call is only planned, for one signal of that length:
%   Y is the bytes of work memory it takes, or the call is refused as it would be (a signal too
%   long for the budget is refused before it is read).
if nargin < 6
  outputs = [];
end
if nargin < 7
  planned_length = [];
end
elements = numel(x);
if ~isempty(planned_length)
  elements = planned_length;
end
[threads, budget] = work_limits(options, elements);
if counts_samples(padding, options)
  half_width = (w - 1) / 2;
  windows = moving_windows(half_width, half_width, dim);
  % Only floating-point classes hold NaN; in any other the flag changes nothing.
  windows.omit_nan = strcmp(options.NaN, 'omitnan') && isfloat(x);
  windows.threads = threads;
  windows.block = options.BlockSize;
  windows.budget = budget;
  windows.outputs = outputs;
  windows.planned_length = planned_length;
  if strcmp(padding.mode, 'constant')
    windows.ends = padding.fill;
  end
  y = moving_statistics(x, windows, 'plorvent');
  return;
end
if islogical(x) && ~(padding.fill == 0 || padding.fill == 1)
  error('plorvent:invalidPadding', ...
        'For a logical X the padding constant must be 0 or 1; it is %g.', padding.fill);
end
codes = struct('constant', 0, 'replicate', 1, 'symmetric', 2, 'periodic', 3);
args = {x, w, codes.(padding.mode), fill_in_class(x, padding.fill), dim, ...
        double(strcmp(options.NaN, 'raw')), options.BlockSize, threads, budget};
if ~isempty(outputs)
  args = [args, {'outputs', outputs}];
end
if ~isempty(planned_length)
  args = [args, {'length', planned_length}];
end
try
  y = plorvent_filter(args{:});
catch err
  rethrow_as(with_budget_advice(err), 'plorvent');
end
end
