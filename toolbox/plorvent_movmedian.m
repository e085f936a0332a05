function M = plorvent_movmedian(A, k, varargin)
%PLORVENT_MOVMEDIAN Moving median, called and answering as MOVMEDIAN does.
%   M = PLORVENT_MOVMEDIAN(A, K) replaces each element of A by the median of
%   a window of K elements around it. For odd K the window is centred on the
%   element; for even K it is centred between the element and the one
%   before it: K/2 elements back and K/2-1 forward. A vector is one signal;
%   a matrix or N-d array is taken along its first non-singleton dimension.
%   Near the ends the window shrinks to the elements that exist.
%
%   M = PLORVENT_MOVMEDIAN(A, [KB KF]) uses windows of KB elements back,
%   the element itself and KF elements forward.
%
%   A K that is not a whole number takes the elements from K/2 back up to
%   (not including) K/2 forward, and [KB KF] their whole parts, as the
%   windows in time below do on the positions 1, 2, 3, ...
%
%   M = PLORVENT_MOVMEDIAN(..., DIM) works along dimension DIM.
%
%   M = PLORVENT_MOVMEDIAN(..., NANFLAG) decides what NaN do:
%     'includenan'  a window holding a NaN gives NaN (the default)
%     'omitnan'     NaN are left out of their windows; a window of NaN only
%                   gives NaN
%   ('includemissing' and 'omitmissing' are the same flags.)
%
%   M = PLORVENT_MOVMEDIAN(..., 'Endpoints', E) decides the windows that
%   reach past the ends:
%     'shrink'   they hold the elements that exist (the default)
%     'discard'  their outputs are left out: M is shorter along DIM
%     'fill'     the elements past the ends are NaN (left out, as any NaN,
%                with 'omitnan')
%     C          the elements past the ends are the number (or logical) C
%
%   M = PLORVENT_MOVMEDIAN(..., 'SamplePoints', T) places the elements at
%   the times T (a vector, one time for each element along DIM, in
%   ascending order) and measures K in the units of T: the window of the
%   element at time t holds the elements at times from t-K/2 up to (not
%   including) t+K/2, or, for [KB KF], from t-KB to t+KF. Windows in time
%   always shrink ('shrink' or 'discard').
%
%   A window holding an odd number c of counted elements gives the middle
%   one; an even number gives the mean of the two middle ones, a and b
%   (a <= b), computed as a + (b-a)/2 when both are finite and of one sign
%   and as (a+b)/2 otherwise, so that it never overflows. Windows of an odd
%   length that lie wholly inside the signal, with nothing omitted, give
%   exactly PLORVENT's results.
%
%   M has the size of A (shorter along DIM with 'discard') and A's class:
%   double, single, or A's integer class (a mean of two middle elements
%   rounded to the nearest, halves away from zero); logical A gives double.
%   An integer A converts a padding C (or the NaN of 'fill', which gives 0)
%   to its class. The work is done by the compiled module PLORVENT_FILTER.
%
%   Example: centred, trailing and NaN-omitting moving medians
%     A = [4 8 6 -1 -2 -3 -1 3 4 5];
%     plorvent_movmedian(A, 3)
%       % 6  6  6  -1  -2  -2  -1  3  4  4.5
%     plorvent_movmedian(A, [2 0])
%       % 4  6  6  6  -1  -2  -2  -1  3  4
%     plorvent_movmedian(A, 3, 'Endpoints', 'discard')
%       % 6  6  -1  -2  -2  -1  3  4
%     B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%     plorvent_movmedian(B, 3)
%       % 6  NaN  NaN  NaN  -2  NaN  NaN  NaN  4  4.5
%     plorvent_movmedian(B, 3, 'omitnan')
%       % 6  6  3.5  -1.5  -2  -2.5  0  3.5  4  4.5
%     plorvent_movmedian([4 8 6 -1 -2 -3], 3, 'SamplePoints', 0:5)
%       % 6  6  6  -1  -2  -2.5
%     plorvent_movmedian([4 8 6; -1 -2 -3; -1 3 4], 3, 2)
%       % 6  6  7;  -1.5  -2  -2.5;  1  3  3.5
%
%   Errors carry the identifiers plorvent_movmedian:notEnoughInputs,
%   :invalidInput, :invalidWindow, :invalidDim, :invalidFlag,
%   :invalidOption and :invalidSamplePoints.
%
%   See also PLORVENT_MEDFILT1, PLORVENT, MOVMEDIAN.

if nargin < 2
  error('plorvent_movmedian:notEnoughInputs', ...
        'Not enough input arguments. Usage: M = plorvent_movmedian(A, k).');
end
A = checked_signal(A, 'plorvent_movmedian');
[dim, omit_nan, ends, times] = movmedian_settings(varargin, size(A));
[back, forward, open] = window_reach(k, ~isempty(times));
if ~isempty(times) && numel(times) ~= size(A, dim)
  error('plorvent_movmedian:invalidSamplePoints', ...
        'SamplePoints must hold %d times, one for each element along dimension %d.', ...
        size(A, dim), dim);
end
discard = strcmp(ends, 'discard');
if discard
  ends = 'shrink';
end
M = moving_medians(A, back, forward, dim, omit_nan, ends, times, open);
if discard
  M = whole_windows(M, dim, back, forward, times);
end
end

function [dim, omit_nan, ends, times] = movmedian_settings(args, sz)
dim = find(sz ~= 1, 1);
if isempty(dim)
  dim = 1;
end
omit_nan = false;
ends = 'shrink';
times = [];
k = 1;
if k <= numel(args) && isnumeric(args{k})
  dim = dim_of(args{k});
  k = k + 1;
end
if k <= numel(args) && is_nan_flag(args{k})
  omit_nan = omits_nan(args{k});
  k = k + 1;
end
for k = k:2:numel(args)
  name = option_name(args{k});
  if k == numel(args)
    error('plorvent_movmedian:invalidOption', 'Option ''%s'' needs a value after it.', name);
  end
  if strcmpi(name, 'Endpoints')
    ends = endpoints_of(args{k + 1});
  else
    times = sample_points_of(args{k + 1});
  end
end
end

function name = option_name(a)
if ~(ischar(a) && any(strcmpi(a, {'Endpoints', 'SamplePoints'})))
  error('plorvent_movmedian:invalidOption', ...
        ['Expected DIM, NANFLAG (''includenan'' or ''omitnan'') or an option name ', ...
         '(''Endpoints'', ''SamplePoints'') after K.']);
end
name = a;
end

function yes = is_nan_flag(a)
yes = ischar(a) && any(strcmpi(a, {'includenan', 'omitnan', 'includemissing', 'omitmissing'}));
end

function yes = omits_nan(flag)
yes = any(strcmpi(flag, {'omitnan', 'omitmissing'}));
end

function dim = dim_of(a)
if ~(isreal(a) && isscalar(a) && isfinite(a) && a >= 1 && a == fix(a))
  error('plorvent_movmedian:invalidDim', 'DIM must be a positive integer scalar.');
end
dim = double(a);
end

function ends = endpoints_of(v)
if ischar(v) && any(strcmpi(v, {'shrink', 'discard', 'fill'}))
  ends = lower(v);
  if strcmp(ends, 'fill')
    ends = NaN;
  end
elseif (isnumeric(v) || islogical(v)) && isscalar(v) && isreal(v)
  ends = full(double(v));
else
  error('plorvent_movmedian:invalidOption', ...
        'Endpoints must be ''shrink'', ''discard'', ''fill'' or a real numeric or logical scalar.');
end
end

function t = sample_points_of(v)
if ~(isnumeric(v) && isreal(v) && isvector(v) && all(isfinite(v)) && all(diff(v(:)) >= 0))
  error('plorvent_movmedian:invalidSamplePoints', ...
        'SamplePoints must be a vector of finite real times in ascending order.');
end
t = full(double(v(:)));
end

function [back, forward, open] = window_reach(k, in_time)
% How far windows reach: K in samples, or in the units of the sample points.
if ~(isnumeric(k) && isreal(k) && any(numel(k) == [1 2]) && all(k >= 0) && ...
     ~any(isnan(k)) && (numel(k) == 2 || k > 0))
  error('plorvent_movmedian:invalidWindow', ...
        'K must be a positive scalar or a vector [KB KF] of two numbers, 0 or more.');
end
k = full(double(k));
open = isscalar(k);
if open
  k = [k k] / 2;
end
back = k(1);
forward = k(2);
if ~in_time
  % The whole positions from i-back up to i+forward (that end left out for a scalar K): on the
  % positions 1, 2, ... these are the windows in time.
  back = floor(back);
  forward = ceil(forward) - 1;
  if ~open
    forward = floor(k(2));
  end
end
end

function M = whole_windows(M, dim, back, forward, times)
% The outputs whose windows lie wholly inside the signal.
n = size(M, dim);
if isempty(times)
  keep = (1 + back:n - forward);
else
  keep = find(times - back >= times(1) & times + forward <= times(end));
end
index = repmat({':'}, 1, max(ndims(M), dim));
index{dim} = keep;
M = M(index{:});
end

%!test
%! A = [4 8 6 -1 -2 -3 -1 3 4 5];
%! assert(plorvent_movmedian(A, 3), [6 6 6 -1 -2 -2 -1 3 4 4.5]);
%! assert(plorvent_movmedian(A, [2 0]), [4 6 6 6 -1 -2 -2 -1 3 4]);
%! assert(plorvent_movmedian(A, 3, 'Endpoints', 'discard'), [6 6 -1 -2 -2 -1 3 4]);
%! B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%! assert(plorvent_movmedian(B, 3), [6 NaN NaN NaN -2 NaN NaN NaN 4 4.5]);
%! assert(plorvent_movmedian(B, 3, 'omitnan'), [6 6 3.5 -1.5 -2 -2.5 0 3.5 4 4.5]);
%! assert(plorvent_movmedian([4 8 6 -1 -2 -3], 3, 'SamplePoints', 0:5), [6 6 6 -1 -2 -2.5]);
%! assert(plorvent_movmedian([4 8 6; -1 -2 -3; -1 3 4], 3, 2), [6 6 7; -1.5 -2 -2.5; 1 3 3.5]);
%!error id=plorvent_movmedian:invalidWindow plorvent_movmedian(1:5, 0)
%!error id=plorvent_movmedian:invalidOption plorvent_movmedian(1:5, 3, 'Endpoint', 'fill')
