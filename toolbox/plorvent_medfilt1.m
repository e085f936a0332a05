function y = plorvent_medfilt1(x, varargin)
%PLORVENT_MEDFILT1 One-dimensional median filter, called and answering as MEDFILT1 does.
%   Y = PLORVENT_MEDFILT1(X) is the median filter of order 3 of X.
%
%   Y = PLORVENT_MEDFILT1(X, N) uses windows of N samples: for odd N, Y(i)
%   is the median of X(i-(N-1)/2 : i+(N-1)/2); for even N, of
%   X(i-N/2 : i+N/2-1). Samples past the ends are zeros. A vector is one
%   signal; a matrix or N-d array is filtered along its first non-singleton
%   dimension, each column on its own.
%
%   Y = PLORVENT_MEDFILT1(X, N, BLKSZ, DIM) filters along dimension DIM.
%   BLKSZ (a positive integer, or []) is accepted and has no effect on the
%   result, as in MEDFILT1, which once used it to tune its loop.
%
%   Y = PLORVENT_MEDFILT1(..., NANFLAG, PADDING) with
%     NANFLAG  'includenan' (the default): a window holding a NaN gives NaN;
%              'omitnan': NaN are left out of their windows (a window of
%              NaN only gives NaN)
%     PADDING  'zeropad' (the default): samples past the ends are zeros;
%              'truncate': windows hold only the samples that exist
%
%   A window holding an even number of counted samples gives the mean of
%   its two middle values a <= b, computed as a + (b-a)/2 when both are
%   finite and of one sign and as (a+b)/2 otherwise, so that it never
%   overflows. With an odd N, 'zeropad' and 'includenan' the result is
%   exactly PLORVENT(X, N)'s.
%
%   Y has the size of X and X's class: double, single, or X's integer class
%   (a mean of two middle values rounded to the nearest, halves away from
%   zero); logical X gives double. The work is done by the compiled module
%   PLORVENT_FILTER.
%
%   Example: a noisy sinusoid filtered with windows of 10 samples
%     fs = 100; t = 0:1/fs:1;
%     x = sin(2*pi*t*3) + 0.25*sin(2*pi*t*40);
%     y = plorvent_medfilt1(x, 10);
%     plot(t, x, t, y);
%
%   Example: NaN left out, windows truncated at the ends
%     B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%     plorvent_medfilt1(B, 3, 'omitnan', 'truncate')
%       % 6  6  3.5  -1.5  -2  -2.5  0  3.5  4  4.5
%
%   Errors carry the identifiers plorvent_medfilt1:invalidInput,
%   :invalidOrder, :invalidBlockSize, :invalidDim and :invalidFlag.
%
%   See also PLORVENT_MOVMEDIAN, PLORVENT, MEDFILT1.

if nargin < 1
  error('plorvent_medfilt1:invalidInput', ...
        'Not enough input arguments. Usage: y = plorvent_medfilt1(x, n).');
end
x = checked_signal(x, 'plorvent_medfilt1');
[n, dim, omit_nan, ends] = medfilt1_settings(varargin, size(x));
back = floor(n / 2);
forward = ceil(n / 2) - 1;
y = moving_medians(x, back, forward, dim, omit_nan, ends, [], false);
end

function [n, dim, omit_nan, ends] = medfilt1_settings(args, sz)
positional = 0;
while positional < numel(args) && ~ischar(args{positional + 1})
  positional = positional + 1;
end
if positional > 3
  error('plorvent_medfilt1:invalidInput', ...
        'Too many arguments before NANFLAG: expected at most N, BLKSZ and DIM.');
end
given = [args(1:positional), cell(1, 3 - positional)];
n = order_of(given{1});
block_size_of(given{2});
dim = find(sz ~= 1, 1);
if isempty(dim)
  dim = 1;
end
if ~isempty(given{3})
  dim = dim_of(given{3});
end
[omit_nan, ends] = flags_of(args(positional + 1:end));
end

function n = order_of(a)
n = 3;
if isempty(a)
  return;
end
if ~(isnumeric(a) && isreal(a) && isscalar(a) && isfinite(a) && a >= 1 && a == fix(a))
  error('plorvent_medfilt1:invalidOrder', 'N must be a positive integer scalar.');
end
n = double(a);
end

function block_size_of(a)
if ~(isempty(a) || (isnumeric(a) && isreal(a) && isscalar(a) && a >= 1 && a == fix(a)))
  error('plorvent_medfilt1:invalidBlockSize', 'BLKSZ must be a positive integer scalar or [].');
end
end

function dim = dim_of(a)
if ~(isnumeric(a) && isreal(a) && isscalar(a) && isfinite(a) && a >= 1 && a == fix(a))
  error('plorvent_medfilt1:invalidDim', 'DIM must be a positive integer scalar.');
end
dim = double(a);
end

function [omit_nan, ends] = flags_of(flags)
% NANFLAG and PADDING, each at most once, in either order.
omit_nan = false;
ends = 0;
seen = {};
for k = 1:numel(flags)
  f = flags{k};
  if ~ischar(f)
    error('plorvent_medfilt1:invalidFlag', 'Expected NANFLAG or PADDING text after DIM.');
  end
  f = lower(f);
  switch f
    case {'includenan', 'omitnan'}
      kind = 'nanflag';
      omit_nan = strcmp(f, 'omitnan');
    case {'zeropad', 'truncate'}
      kind = 'padding';
      if strcmp(f, 'truncate')
        ends = 'shrink';
      end
    otherwise
      error('plorvent_medfilt1:invalidFlag', ['NANFLAG must be ''includenan'' or ', ...
            '''omitnan'', PADDING ''zeropad'' or ''truncate''; got ''%s''.'], f);
  end
  if any(strcmp(kind, seen))
    error('plorvent_medfilt1:invalidFlag', 'The %s is given twice.', upper(kind));
  end
  seen{end + 1} = kind;
end
end

%!test
%! B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%! assert(plorvent_medfilt1(B, 3, 'omitnan', 'truncate'), [6 6 3.5 -1.5 -2 -2.5 0 3.5 4 4.5]);
%! assert(plorvent_medfilt1([1 2 3 4 3 2 1]), [1 2 3 3 3 2 1]);
%! assert(plorvent_medfilt1([1 2 3; 6 5 4; 6 5 2], 4, [], 2), [0.5 1.5 1.5; 2.5 4.5 4.5; 2.5 3.5 3.5]);
%!error id=plorvent_medfilt1:invalidOrder plorvent_medfilt1(1:5, 0)
%!error id=plorvent_medfilt1:invalidFlag plorvent_medfilt1(1:5, 3, 'omitnan', 'omitnan')
