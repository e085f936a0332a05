function [y, varargout] = plorvent_medfilt1(x, varargin)
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
%   overflows. A median that is zero is -0 exactly when every zero among
%   the window's counted samples is -0 (+0 otherwise). With an odd N,
%   'zeropad' and 'includenan' the result is exactly PLORVENT(X, N)'s.
%
%   Y has the size of X and X's class: double, single, or X's integer class
%   (a mean of two middle values rounded to the nearest, halves away from
%   zero; int64 and uint64 exactly however large); logical X gives double.
%   The work is done by the compiled module PLORVENT_FILTER, in pieces of
%   2^20 outputs: the work memory beyond X and Y is, for each thread, about
%   16*2^20 bytes and 250*N more (N taken as at least 4096), whatever the
%   length of X: a call's peak beyond X is Y and that work, at 10^7 double
%   samples and N = 101 76 MiB and at most 17 MiB a thread. In GNU Octave a
%   Ctrl-C stops a long call
%   (plorvent_medfilt1:interrupted).
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
%   NANFLAG and PADDING may be character rows or string scalars, in any
%   case: plorvent_medfilt1(B, 3, "omitnan", "truncate") gives the same.
%
%   Errors carry the identifiers plorvent_medfilt1:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :invalidWindow (N), :invalidBlockSize,
%   :invalidDim, :invalidFlag, :interrupted and :moduleNotFound; the
%   README's table "Errors" says when each is raised, in every function of
%   the toolbox.
%
%   See also PLORVENT_MOVMEDIAN, PLORVENT, MEDFILT1.

caller = 'plorvent_medfilt1';
require_arguments(nargin, nargout, [1 Inf 1], caller, 'y = plorvent_medfilt1(x, n, ...)');
x = checked_signal(x, caller);
% N, BLKSZ and DIM are the arguments before the first text; a fourth one is refused as a flag.
given = cell(1, 3);
positional = 0;
while positional < min(3, numel(varargin)) && ~text_value(varargin{positional + 1})
  positional = positional + 1;
  given{positional} = varargin{positional};
end
n = order_of(given{1}, caller);
require_block_size(given{2}, caller);
windows = moving_windows(floor(n / 2), ceil(n / 2) - 1, dim_argument(given{3}, size(x), caller));
[windows.omit_nan, windows.ends] = flags_of(varargin(positional + 1:end), caller);
y = moving_statistics(x, windows, caller);
end

function n = order_of(a, caller)
n = 3;
if selects_default(a)
  return;
end
if ~is_whole(a, 1, Inf)
  error([caller ':invalidWindow'], 'N must be a positive integer scalar.');
end
n = full(double(a));
end

function require_block_size(a, caller)
if ~(selects_default(a) || is_whole(a, 1, Inf))
  error([caller ':invalidBlockSize'], 'BLKSZ must be a positive integer scalar or [].');
end
end

function [omit_nan, ends] = flags_of(flags, caller)
% NANFLAG and PADDING, each at most once, in either order.
omit_nan = false;
ends = 0;
seen = {};
for k = 1:numel(flags)
  flag = nan_flag(flags{k});
  padding = matched_choice(flags{k}, {'zeropad', 'truncate'});
  if ~isempty(flag)
    kind = 'NANFLAG';
    omit_nan = strcmp(flag, 'omitnan');
  elseif ~isempty(padding)
    kind = 'PADDING';
    if padding == 2
      ends = 'shrink';
    end
  else
    error([caller ':invalidFlag'], ['Expected NANFLAG (''includenan'' or ''omitnan'') or ', ...
          'PADDING (''zeropad'' or ''truncate'') after N, BLKSZ and DIM.']);
  end
  if any(strcmp(kind, seen))
    error([caller ':invalidFlag'], 'The %s is given twice.', kind);
  end
  seen{end + 1} = kind;
end
end

%!test
%! B = [4 8 NaN -1 -2 -3 NaN 3 4 5];
%! assert(plorvent_medfilt1(B, 3, 'omitnan', 'truncate'), [6 6 3.5 -1.5 -2 -2.5 0 3.5 4 4.5]);
%! assert(plorvent_medfilt1(B, 3, "Truncate", "omitnan"), [6 6 3.5 -1.5 -2 -2.5 0 3.5 4 4.5]);
%! assert(plorvent_medfilt1([1 2 3 4 3 2 1]), [1 2 3 3 3 2 1]);
%! assert(plorvent_medfilt1([1 2 3; 6 5 4; 6 5 2], 4, [], 2), [0.5 1.5 1.5; 2.5 4.5 4.5; 2.5 3.5 3.5]);
%!error id=plorvent_medfilt1:invalidWindow plorvent_medfilt1(1:5, 0)
%!error id=plorvent_medfilt1:invalidFlag plorvent_medfilt1(1:5, 3, 'omitnan', 'omitnan')
