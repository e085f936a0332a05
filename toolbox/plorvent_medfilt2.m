function [B, varargout] = plorvent_medfilt2(A, varargin)
%PLORVENT_MEDFILT2 2-D median filter, called and answering as MEDFILT2 does.
%   B = PLORVENT_MEDFILT2(A) replaces each element of the image A by the
%   median of the 3-by-3 neighbourhood around it.
%
%   B = PLORVENT_MEDFILT2(A, [M N]) takes M-by-N neighbourhoods. The
%   element's place in its neighbourhood is row floor((M+1)/2), column
%   floor((N+1)/2). M and N may exceed A's size.
%
%   B = PLORVENT_MEDFILT2(..., PADOPT) decides the elements beyond A's
%   edges:
%     'zeros'      zeros (the default)
%     'symmetric'  A mirrored about its edges, the edge element repeated
%     'indexed'    ones for single and double A, zeros otherwise
%
%   B = PLORVENT_MEDFILT2(..., 'Threads', T) runs on T worker threads (the
%   host's computational threads by default); the result is the same for
%   any T. B = PLORVENT_MEDFILT2(..., 'MemoryBudget', BYTES) refuses a call
%   whose work memory would exceed BYTES (default max(2^27, 32*numel(A))).
%   The work memory is at most 16 MiB a thread, whatever A's size, unless
%   the neighbourhood itself is larger: a call's peak beyond A is B and
%   that work (at 10^7 double elements, 76 MiB and at most 16 MiB a thread).
%   An even M*N takes its two middle elements and their mean tile by tile:
%   the same bounds, a tile's outputs more.
%
%   A may be logical or of any numeric class: B has A's size and class. An
%   array of more than two dimensions is filtered plane by plane (each
%   A(:, :, k) an image). An M*N odd gives the middle element of each
%   neighbourhood, the bits of one of its elements. An M*N even gives the
%   mean of the two middle ones, a <= b, as MEDFILT2 documents it: for
%   integer classes their exact mean with the fraction discarded (towards
%   zero; int64 and uint64 exactly however large), logical A as uint8
%   (which gives a); for single and double a + (b-a)/2 when both are finite
%   and of one sign, (a+b)/2 otherwise. (Octave's image package computes
%   a./2 + b./2 instead, which rounds each half of an integer: for uint8
%   [1 2 2 3] with [1 2], the last pair, 3 and the padding 0, gives 2 there
%   and 1 here.)
%
%   NaN count as greater than every number: a neighbourhood whose middle
%   element (or either middle element) is NaN gives NaN. This is the order
%   a sort gives, the same for every neighbourhood; Octave's image package
%   ranks NaN by unordered comparisons, so its results with NaN depend on
%   where in the neighbourhood the NaN stands.
%
%   Example: salt-and-pepper noise removed
%     A = magic(5); A(2, 3) = 255; A(4, 2) = 0;
%     B = plorvent_medfilt2(A, [3 3], 'symmetric')
%
%   Text arguments may be character rows or string scalars, in any case;
%   option names may be shortened to any prefix that names one option.
%
%   Errors carry the identifiers plorvent_medfilt2:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :invalidWindow, :invalidPadding,
%   :unknownOption, :missingOptionValue, :invalidOptionValue,
%   :windowTooLong, :interrupted and :moduleNotFound; the README's table
%   "Errors" says when each is raised, in every function of the toolbox.
%
%   See also PLORVENT_ORDFILT2, MEDFILT2, ORDFILT2.

caller = 'plorvent_medfilt2';
require_arguments(nargin, nargout, [1 Inf 1], caller, ...
                  'B = plorvent_medfilt2(A, [m n], padopt, ...)');
A = checked_signal(A, caller);
window = [3 3];
if ~isempty(varargin) && ~text_value(varargin{1})
  window = varargin{1};
  varargin = varargin(2:end);
  if ~(isnumeric(window) && isreal(window) && numel(window) == 2 && ...
       all(is_whole_each(window)) && prod(double(window)) <= 2147483647)
    error([caller ':invalidWindow'], ...
          '[M N] must be two positive whole numbers, M*N at most 2147483647.');
  end
  window = full(double(window(:)'));
end
[padding, options] = image_settings(varargin, {'zeros', 'symmetric', 'indexed'}, caller);
domain = true(window);
count = prod(window);
B = ranked_image(A, domain, ceil(count / 2), padding, options, caller, [], mod(count, 2) == 0);
end

function yes = is_whole_each(v)
v = full(double(v));
yes = isfinite(v) & v >= 1 & v <= 2147483647 & v == fix(v);
end

%!test
%! A = magic(5); A(2, 3) = 255; A(4, 2) = 0;
%! assert(plorvent_medfilt2(A, [3 3], 'symmetric'), ...
%!        [17 17 8 14 15; 17 13 13 15 16; 6 10 14 19 16; 10 11 18 19 9; 11 18 18 9 9]);
%! assert(plorvent_medfilt2(uint8([1 2 2 3]), [1 2]), uint8([1 2 2 1]));
%! top = intmax('int64');
%! assert(plorvent_medfilt2([top - 6, top - 1], [1 2]), [top - 4, int64(2)^62 - 1]);
%! assert(plorvent_medfilt2(int64([-7 -2]), [1 2]), int64([-4 -1]));
%! assert(plorvent_medfilt2([realmax realmax], [1 2]), [realmax realmax/2]);
%! assert(plorvent_medfilt2([-realmax realmax], [1 2]), [0 realmax/2]);
%! a = single(0.1); b = single(0.7);
%! assert(plorvent_medfilt2([a b], [1 2]), [a + (b - a) / 2, b / 2]);
%!error id=plorvent_medfilt2:invalidWindow plorvent_medfilt2(1:5, [0 3])
%!error id=plorvent_medfilt2:invalidPadding plorvent_medfilt2(1:5, [1 3], 'circular')
%!demo
%! A = magic(5); A(2, 3) = 255; A(4, 2) = 0;
%! B = plorvent_medfilt2(A, [3 3], 'symmetric')
