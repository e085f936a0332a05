% Calls plorvent_core, plorvent and plorvent_filter with a value of every class and shape in every argument
% position, the half-width and window at and past their limits, and wrong argument counts.
% Each call must return the right result (checked against sorted windows) or raise an error
% with the expected identifier, and leave every argument bit for bit as it was. Calls the
% functions on the moving mode (plorvent_movmedian, plorvent_medfilt1, plorvent_movmad,
% plorvent_movquantile, plorvent_movprctile, plorvent_hampel, plorvent_isoutlier,
% plorvent_filloutliers) and on the image mode (plorvent_medfilt2, plorvent_ordfilt2) so too:
% each returns or raises an error of its own. Prints the number of
% calls through each function and "N passed, N failed"; exits non-zero on a failure.
% Run: octave-cli sweep_arguments.m MODULE_DIR
1;

function values = catalogue()
% Values of every class the host has, in several shapes; floating ones also with NaN, +-Inf
% and -0.
values = {};
shapes = {3, 0, [3 1 2 5 4], [3; 1; 2], [6 4 2; 5 3 1], reshape(1:12, 2, 3, 2), ...
          zeros(0, 0), zeros(0, 5), zeros(1, 0)};
specials = {NaN, Inf, -Inf, -0, [1 NaN 3 -Inf 5 Inf], [0; -0; 0; -0], ...
            reshape([2 NaN -0 0 Inf 1 -Inf 7 3 NaN 4 -5], 2, 3, 2)};
for c = {'double', 'single'}
  values = [values, cellfun(@(v) cast(v, c{1}), [shapes, specials], 'UniformOutput', false)];
end
for c = {'int8', 'uint8', 'int16', 'uint16', 'int32', 'uint32', 'int64', 'uint64'}
  values = [values, cellfun(@(v) cast(v, c{1}), shapes, 'UniformOutput', false), ...
            {intmin(c{1}), intmax(c{1}), cast([-2 7 -1 3], c{1})}];
end
values = [values, {true, false, logical([1 0 1 1 0]), true(0, 0), true(2, 1, 2)}];
values = [values, {'a', 'abc', '', ['ab'; 'cd']}];
values = [values, {{}, {1}, {1, 'a'}, struct(), struct('a', {1, 2}), struct('a', {}), @sin}];
values = [values, {sparse([3 1 0 5 4]), sparse(3), sparse([]), sparse(logical([1 0 1])), ...
                   sparse([1 NaN 0 Inf]), sparse(complex([3 0 2], 1))}];
values = [values, {complex(3, 0), [3 1 2] + 2i, complex(single([3 1 2]), 1), ...
                   complex([NaN 1 -Inf], [0 NaN 1]), complex(zeros(0, 2))}];
end

function name = describe(v)
name = sprintf('%s %s', class(v), mat2str(size(v)));
if issparse(v)
  name = ['sparse ' name];
end
if isnumeric(v) && ~isreal(v)
  name = ['complex ' name];
end
if ischar(v)
  name = [name ' ''' v(:)' ''''];
elseif (isnumeric(v) || islogical(v)) && numel(v) <= 12
  name = [name ' [' strtrim(sprintf('%g ', full(real(v)))) ']'];
end
end

function s = snapshot(v)
% A deep copy of V's class, shape and bits (NaN payloads and signed zeros included).
if iscell(v)
  s = {'cell', size(v), cellfun(@snapshot, v, 'UniformOutput', false)};
elseif isstruct(v)
  s = {'struct', size(v), fieldnames(v), snapshot(struct2cell(v))};
elseif isa(v, 'function_handle')
  s = {'function_handle', func2str(v)};
elseif issparse(v)
  [i, j, a] = find(v);
  s = {'sparse', class(v), size(v), i, j, snapshot(full(a))};
elseif islogical(v) || ischar(v)
  s = {class(v), size(v), double(v(:))};
else
  s = {class(v), size(v), typecast(real(v(:)), 'uint8'), typecast(imag(v(:)), 'uint8')};
end
end

function record(ok, what)
global sweep
sweep.calls = sweep.calls + 1;
if ~ok
  sweep.failures{end + 1} = what;
end
end

function [result, id, message] = attempt(f, args, nout)
% Calls F(ARGS{:}) with NOUT results; ID and MESSAGE are empty when it returns.
result = [];
id = '';
message = '';
try
  switch nout
    case 0
      f(args{:});
    case 1
      result = f(args{:});
    otherwise
      [result, ~] = f(args{:});
  end
catch err
  id = err.identifier;
  message = err.message;
end
end

function check(f, args, expected_id, reference, what, nout)
% One call: either the error EXPECTED_ID ('usage' for the usage message) or a result that
% REFERENCE(result) accepts; the arguments unchanged either way.
if nargin < 6
  nout = 1;
end
before = snapshot(args);
[result, id, message] = attempt(f, args, nout);
unchanged = isequal(snapshot(args), before);
usage = "Incorrect number of parameters.\nSyntax: m = plorvent_core(x, xic, xfc, W2)";
if strcmp(expected_id, 'usage')
  ok = isempty(id) && numel(message) >= numel(usage) && ...
       strcmp(message(end - numel(usage) + 1:end), usage);
elseif ~isempty(expected_id)
  ok = strcmp(id, expected_id);
else
  expected_id = 'the right result';
  ok = isempty(message) && reference(result);
end
if ~ok
  what = sprintf('%s: expected %s, got "%s" %s', what, expected_id, id, message);
elseif ~unchanged
  what = [what ': an argument changed'];
end
record(ok && unchanged, what);
end

function ok = matches_windows(m, padded, half_width, nan_rule)
% M against each window of PADDED sorted: the middle value where the window holds no NaN; where
% it does, NAN_RULE: 'nan' (must be NaN) or 'member' (must be one of the window's own samples).
n = numel(padded) - 2 * half_width;
ok = isa(m, 'double') && isreal(m) && numel(m) == n;
for i = 1:n * ok
  window = padded(i:i + 2 * half_width);
  if ~any(isnan(window))
    sorted = sort(window);
    ok = m(i) == sorted(half_width + 1);
  elseif strcmp(nan_rule, 'nan')
    ok = isnan(m(i));
  else
    ok = any(typecast(window, 'uint64') == typecast(m(i), 'uint64'));
  end
  if ~ok
    return;
  end
end
end

% ---- plorvent_core --------------------------------------------------------------------------

function id = core_refusal(args)
% The identifier plorvent_core must raise for ARGS, '' for a valid call.
id = '';
if numel(args) ~= 4
  id = 'usage';
  return;
end
for k = 1:4
  if ~isa(args{k}, 'double')
    id = 'plorvent_core:notDouble';
    return;
  elseif issparse(args{k})
    id = 'plorvent_core:sparse';
    return;
  end
end
W2 = args{4};
if isempty(W2)
  id = 'plorvent_core:emptyHalfWidth';
elseif ~isfinite(real(W2(1)))
  id = 'plorvent_core:nonFiniteHalfWidth';
elseif fix(real(W2(1))) < 0
  id = 'plorvent_core:negativeHalfWidth';
elseif fix(real(W2(1))) > 2^30 - 1
  id = 'plorvent_core:halfWidthTooLarge';
elseif ~isempty(args{1}) && min(numel(args{2}), numel(args{3})) < fix(real(W2(1)))
  id = 'plorvent_core:shortExtension';
end
end

function check_core(args, what)
id = core_refusal(args);
reference = [];
if isempty(id)
  [x, xic, xfc, W2] = args{:};
  half_width = fix(real(W2(1)));
  if isempty(x)
    reference = @(m) isa(m, 'double') && isequal(size(m), [0 1]);
  else
    padded = real([reshape(xic(1:half_width), [], 1); x(:); reshape(xfc(1:half_width), [], 1)]);
    reference = @(m) isequal(size(m), [numel(x) 1]) && ...
                     matches_windows(m, padded, half_width, 'member');
  end
end
check(@plorvent_core, args, id, reference, what);
end

function sweep_core(values)
base = {reshape([2 NaN -0 0 Inf 1 -Inf 7 3 NaN 4 -5], 2, 3, 2), [4 -1 NaN], [-0; 2; Inf], 1};
for position = 1:4
  for k = 1:numel(values)
    args = base;
    args{position} = values{k};
    check_core(args, sprintf('plorvent_core argument %d = %s', position, describe(values{k})));
  end
end
% Half-widths at and past the limits, with signals of every shape and extensions long enough
% for the valid ones; the largest accepted half-width only with empty signals.
signals = values(cellfun(@(v) isa(v, 'double') && ~issparse(v), values));
half_widths = {0, 1, 2.9, -0.5, 0.99, -0.99, -1, -3.5, NaN, Inf, -Inf, 2^30, 2^30 + 0.5, ...
               2^31, 2^53, 1e300, -1e300, [2 7], complex(1, 5), 2^30 - 1, 2^30 - 0.5};
extension = [5 -3 NaN 0 -0 8];
for h = 1:numel(half_widths)
  for s = 1:numel(signals)
    if half_widths{h}(1) >= 2^30 - 1 && half_widths{h}(1) < 2^30 && ~isempty(signals{s})
      continue;
    end
    args = {signals{s}, extension, fliplr(extension), half_widths{h}};
    check_core(args, sprintf('plorvent_core(%s, ..., W2 = %s)', describe(signals{s}), ...
                             mat2str(half_widths{h})));
  end
end
% Wrong numbers of arguments and results.
for count = [0 1 2 3 5 6]
  args = repmat({1}, 1, count);
  check(@plorvent_core, args, 'usage', [], sprintf('plorvent_core with %d arguments', count));
end
for nout = [0 2]
  check(@plorvent_core, {1, 0, 0, 1}, 'usage', [], sprintf('plorvent_core, %d results', nout), ...
        nout);
end
end

% ---- plorvent --------------------------------------------------------------------------------

function yes = is_real_scalar(v)
yes = isnumeric(v) && isreal(v) && isscalar(v) && isfinite(v);
end

function yes = is_whole_in(v, low, high)
yes = is_real_scalar(v) && double(v) >= low && double(v) <= high && double(v) == fix(double(v));
end

function yes = names(v, choices)
yes = ischar(v) && (isrow(v) || isempty(v)) && any(strcmpi(v, choices));
end

function ok = matches_plorvent(y, x, w, fill, dim, nan_rule)
% Y, of X's class, against the sorted windows of each signal of X along DIM, extended by FILL.
ok = strcmp(class(y), class(full(x))) && ~issparse(y) && isreal(y) && isequal(size(y), size(x));
x = full(double(x));
y = double(y);
half_width = (w - 1) / 2;
if isempty(x)
  return;
end
if dim > ndims(x)
  order = [ndims(x) + 1, 1:ndims(x)];     % every sample a signal of its own
else
  order = [dim, setdiff(1:ndims(x), dim)];
end
xp = permute(x, order);
yp = permute(y, order);
edge = repmat(fill, half_width, 1);
for c = 1:size(xp(:, :), 2) * ok
  ok = matches_windows(yp(:, c), [edge; xp(:, c); edge], half_width, nan_rule);
  if ~ok
    return;
  end
end
end

function check_plorvent(args, valid, id, reference, what)
if valid
  id = '';
end
check(@plorvent, args, id, reference, what);
end

function sweep_plorvent(values)
x = reshape([2 NaN -0 0 Inf 1 -Inf 7 3 NaN 4 -5], 2, 3, 2);
whole = plorvent(x, 3);
same_as_whole = @(y) isequal(typecast(y(:), 'uint64'), typecast(whole(:), 'uint64'));
half_widths = {0, 1, 2, 2.9, -0.5, 0.99, -1, -3, NaN, Inf, -Inf, 5, 2^31 - 1, 2^31, 2^31 + 1, ...
               2^53 + 1, 1e300, -1e300, single(7), int16(-3), uint8(9)};
for k = 1:numel(values)
  v = values{k};
  d = describe(v);
  check_plorvent({v, 3}, (isnumeric(v) || islogical(v)) && isreal(v), 'plorvent:invalidInput', ...
                 @(y) matches_plorvent(y, v, 3, 0, find([size(v) 2] ~= 1, 1), 'nan'), ...
                 ['plorvent x = ' d]);
  constant = isscalar(v) && (isnumeric(v) || islogical(v)) && isreal(v);
  fill = 0;
  if constant
    fill = full(double(v));
  end
  check_plorvent({x, 3, v}, constant || (isnumeric(v) && isempty(v)), 'plorvent:invalidPadding', ...
                 @(y) matches_plorvent(y, x, 3, fill, 1, 'nan'), ['plorvent padding = ' d]);
  dim = 1;
  if is_real_scalar(v)
    dim = double(v);
  end
  check_plorvent({x, 3, 'zeros', v}, (isnumeric(v) && isempty(v)) || is_whole_in(v, 1, Inf), ...
                 'plorvent:invalidDim', @(y) matches_plorvent(y, x, 3, 0, dim, 'nan'), ...
                 ['plorvent dim = ' d]);
  check_plorvent({x, 3, 'BlockSize', v}, is_whole_in(v, 1, 2^31 - 1), ...
                 'plorvent:invalidOptionValue', same_as_whole, ['plorvent BlockSize = ' d]);
  check_plorvent({x, 3, 'zeros', 1, v, 'raw'}, names(v, {'NaN'}), 'plorvent:unknownOption', ...
                 [], ['plorvent option name = ' d]);
  check_plorvent({x, 3, 'Threads', v}, is_whole_in(v, 1, 256), 'plorvent:invalidOptionValue', ...
                 same_as_whole, ['plorvent Threads = ' d]);
  % A valid budget below the work memory of this small call refuses it.
  budget = isnumeric(v) && isreal(v) && isscalar(v) && v >= 0;
  refusal = 'plorvent:invalidOptionValue';
  if budget && v < 4096
    [budget, refusal] = deal(false, 'plorvent:windowTooLong');
  end
  check_plorvent({x, 3, 'MemoryBudget', v}, budget, refusal, same_as_whole, ...
                 ['plorvent MemoryBudget = ' d]);
end
for v = [values, {'raw', 'RAW', 'includenan', 'omitnan', 'NaN'}]
  rule = 'nan';
  if names(v{1}, {'raw'})
    rule = 'member';
  end
  check_plorvent({x, 3, 'NaN', v{1}}, names(v{1}, {'includenan', 'raw'}), ...
                 'plorvent:invalidOptionValue', @(y) matches_plorvent(y, x, 3, 0, 1, rule), ...
                 ['plorvent NaN = ' describe(v{1})]);
end
% Window lengths of every class and at the limits; the longest only with empty signals.
for w = [values, half_widths]
  v = w{1};
  signal = x;
  if is_real_scalar(v) && double(v) > 1e5
    signal = zeros(0, 3);
  end
  check_plorvent({signal, v}, is_whole_in(v, 1, 2^31 - 1) && mod(double(v), 2) == 1, ...
                 'plorvent:invalidWindow', @(y) matches_plorvent(y, signal, double(v), 0, 1, ...
                 'nan'), ['plorvent w = ' describe(v)]);
end
% Wrong numbers of arguments.
check_plorvent({}, false, 'plorvent:notEnoughInputs', [], 'plorvent()');
check_plorvent({x}, false, 'plorvent:notEnoughInputs', [], 'plorvent(x)');
check_plorvent({x, 3, 'zeros', 1, 'NaN'}, false, 'plorvent:missingOptionValue', [], ...
               'plorvent without an option value');
check_plorvent({x, 3, 'zeros', 1, 'NaN', 'raw', 'BlockSize'}, false, ...
               'plorvent:missingOptionValue', [], 'plorvent without a second option value');
check_plorvent({x, 3, 'zeros', 1, 2}, false, 'plorvent:unknownOption', [], ...
               'plorvent with a fifth positional argument');
end

% ---- plorvent_filter ------------------------------------------------------------------------

function yes = is_double_scalar(v)
yes = isa(v, 'double') && ~issparse(v) && isreal(v) && isscalar(v);
end

function sweep_filter(values)
% Each argument position with every value: the result of the equivalent plorvent call, or the
% module's own identifier.
x = reshape([2 NaN -0 0 Inf 1 -Inf 7 3 NaN 4 -5], 2, 3, 2);
base = {x, 3, 0, 0, 1, 0, 10, 1, Inf};
paddings = {'zeros', 'replicate', 'symmetric', 'periodic'};
in_range = {@(v) is_whole_in(v, 1, 2^31 - 1) && mod(v, 2) == 1, @(v) is_whole_in(v, 0, 3), ...
            @(v) true, @(v) is_whole_in(v, 1, Inf), @(v) is_whole_in(v, 0, 1), ...
            @(v) is_whole_in(v, 1, 2^53), @(v) is_whole_in(v, 1, 256), @(v) v >= 0};
as_plorvent = {@(v) {x, v}, @(v) {x, 3, paddings{v + 1}}, @(v) {x, 3, v}, ...
               @(v) {x, 3, 'zeros', v}, @(v) {x, 3, 'NaN', {'includenan', 'raw'}{v + 1}}, ...
               @(v) {x, 3}, @(v) {x, 3}, @(v) {x, 3}};
extremes = {0, 1, 2, 3, 4, 5, -1, 0.5, NaN, Inf, -Inf, 2^31 - 1, 2^31, 257, 256, 1e300};
for k = 1:numel(values)
  v = values{k};
  valid = (isnumeric(v) || islogical(v)) && isreal(v) && ~issparse(v);
  args = base;
  args{1} = v;
  check(@plorvent_filter, args, ifelse_id(valid, 'plorvent_filter:invalidInput'), ...
        @(y) isequal(typecast(double(y(:)), 'uint64'), ...
                     typecast(double(plorvent(v, 3, 'zeros', 1)(:)), 'uint64')), ...
        ['plorvent_filter x = ' describe(v)]);
end
for position = 2:9
  for w = [values, extremes]
    v = w{1};
    args = base;
    args{position} = v;
    valid = is_double_scalar(v) && in_range{position - 1}(v);
    if valid && position == 2 && v > 1e5
      args{1} = zeros(0, 3);     % the longest windows only on an empty signal
    end
    reference = [];
    if valid
      equivalent = as_plorvent{position - 1}(v);
      equivalent{1} = args{1};
      expected = plorvent(equivalent{:});
      reference = @(y) isequal(typecast(y(:), 'uint64'), typecast(expected(:), 'uint64'));
    end
    id = ifelse_id(valid, 'plorvent_filter:invalidArgument');
    if valid && position == 9 && v < 4096  % less than the work memory of this small call
      id = 'plorvent_filter:windowTooLong';
    end
    check(@plorvent_filter, args, id, reference, ...
          sprintf('plorvent_filter argument %d = %s', position, describe(v)));
  end
end
check(@plorvent_filter, base(1:8), 'plorvent_filter:usage', [], 'plorvent_filter, 8 arguments');
check(@plorvent_filter, [base, {1}], 'plorvent_filter:usage', [], 'plorvent_filter, 10 arguments');
check(@plorvent_filter, [base, {1, 1}], 'plorvent_filter:invalidArgument', [], ...
      'plorvent_filter, an option name that is not one');
check(@plorvent_filter, base, 'plorvent_filter:usage', [], 'plorvent_filter, 2 results', 2);
end

function id = ifelse_id(valid, id)
if valid
  id = '';
end
end

% ---- the functions on the moving and image modes ---------------------------------------------

function check_own_identifier(f, args, prefix, suffixes, what)
% One call that returns or raises an error of PREFIX's own, one of the SUFFIXES docs/errors.txt
% gives it, never one of an inner module; the arguments unchanged either way.
before = snapshot(args);
[~, id, message] = attempt(f, args, 1);
ok = isempty(message) || any(strcmp(id, strcat([prefix ':'], suffixes)));
if ~ok
  what = sprintf('%s: got "%s" %s', what, id, message);
elseif ~isequal(snapshot(args), before)
  ok = false;
  what = [what ': an argument changed'];
end
record(ok, what);
end

function sweep_moving(values, raised)
% Every value in every argument position of the functions on the moving and image modes, each
% raising only the identifiers RAISED (from docs/errors.txt) gives it.
x = reshape([2 NaN -0 0 Inf 1 -Inf 7 3 NaN 4 -5], 2, 3, 2);
channels = reshape(x, 4, 3);
mov = 'movmedian';
movmedian_positions = {@(v) {v, 3}, @(v) {x, v}, @(v) {x, 3, v}, @(v) {x, 3, 2, v}, ...
                       @(v) {x, 3, 'Endpoints', v}, @(v) {x, 3, 2, 'SamplePoints', v}, ...
                       @(v) {x, v, 2, 'SamplePoints', [0 1 2.5]}, @(v) {x, 3, v, 1}};
% The quantiles take a probability after A, then what plorvent_movmedian takes, and 'Method'.
after_p = @(p) [cellfun(@(f) @(v) [f(v)(1), {p}, f(v)(2:end)], movmedian_positions, ...
                        'UniformOutput', false), {@(v) {x, v, 3}, @(v) {x, p, 3, 'Method', v}}];
calls = {'plorvent_movmedian', movmedian_positions; 'plorvent_movmad', movmedian_positions;
         'plorvent_movquantile', after_p(0.3); 'plorvent_movprctile', after_p(30);
         'plorvent_medfilt1', {@(v) {v}, @(v) {x, v}, @(v) {x, 3, v}, @(v) {x, 3, [], v}, ...
                               @(v) {x, 3, [], 1, v}, @(v) {x, 3, [], 1, 'omitnan', v}};
         'plorvent_hampel', {@(v) {v}, @(v) {channels, v}, @(v) {channels, 3, v}};
         'plorvent_isoutlier', {@(v) {v, mov, 3}, @(v) {x, v, 3}, @(v) {x, mov, v}, ...
                                @(v) {x, mov, 3, v}, @(v) {x, mov, 3, v, 1}, ...
                                @(v) {x, mov, 3, 2, 'ThresholdFactor', v}, ...
                                @(v) {x, mov, 3, 2, 'SamplePoints', v}};
         'plorvent_filloutliers', {@(v) {v, 'linear', mov, 3}, @(v) {x, v, mov, 3}, ...
                                   @(v) {x, 'pchip', mov, 2, 3, 'SamplePoints', v}};
         'plorvent_medfilt2', {@(v) {v}, @(v) {x, v}, @(v) {x, [3 3], v}, ...
                               @(v) {x, [2 3], 'symmetric', v}, @(v) {x, [3 3], 'Threads', v}, ...
                               @(v) {x, [1 2], 'indexed', 'MemoryBudget', v}};
         'plorvent_ordfilt2', {@(v) {v, 2, true(2)}, @(v) {x, v, true(2)}, @(v) {x, 2, v}, ...
                               @(v) {x, 2, true(2), v}, @(v) {x, 2, true(2), [1 2; 3 4], v}, ...
                               @(v) {x, 2, [1 0 1], 'symmetric', 'Thr', v}}};
for c = 1:rows(calls)
  [name, positions] = calls{c, :};
  for p = 1:numel(positions)
    for k = 1:numel(values)
      check_own_identifier(str2func(name), positions{p}(values{k}), name, raised.(name), ...
                           sprintf('%s position %d = %s', name, p, describe(values{k})));
    end
  end
end
end

% ---- main -----------------------------------------------------------------------------------

args = argv();
addpath(args{end});
global sweep
sweep = struct('calls', 0, 'failures', {{}});
values = catalogue();

sweep_core(values);
core_calls = sweep.calls;
sweep_plorvent(values);
plorvent_calls = sweep.calls - core_calls;
sweep_filter(values);
filter_calls = sweep.calls - core_calls - plorvent_calls;
addpath(fullfile(fileparts(fileparts(fileparts(mfilename('fullpath')))), 'scripts'));
[~, raised] = errors_table(fullfile(fileparts(mfilename('fullpath')), '..', '..'));
sweep_moving(values, raised);

printf('%s\n', sweep.failures{:});
printf(['sweep: %d calls through plorvent_core, %d through plorvent, %d through plorvent_filter, ' ...
        '%d through the functions on the moving and image modes\n'], core_calls, plorvent_calls, ...
       filter_calls, sweep.calls - core_calls - plorvent_calls - filter_calls);
failed = numel(sweep.failures);
printf('sweep: %d passed, %d failed\n', sweep.calls - failed, failed);
exit(double(failed > 0));
