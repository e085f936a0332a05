function [B, varargout] = plorvent_ordfilt2(A, order, domain, varargin)
%PLORVENT_ORDFILT2 2-D order-statistic filter, called and answering as ORDFILT2 does.
%   B = PLORVENT_ORDFILT2(A, ORDER, DOMAIN) replaces each element of the
%   image A by the ORDER-th smallest of the elements of its neighbourhood
%   that DOMAIN picks: DOMAIN is a matrix, M-by-N, whose nonzero elements
%   say which places of the neighbourhood count. The element's place in
%   its neighbourhood is row floor((M+1)/2), column floor((N+1)/2). ORDER
%   is a whole number from 1 to nnz(DOMAIN): 1 gives the least, nnz(DOMAIN)
%   the greatest, (nnz(DOMAIN)+1)/2 the median of an odd count.
%
%   B = PLORVENT_ORDFILT2(A, ORDER, DOMAIN, S), S a real matrix of DOMAIN's
%   size, adds S's elements to the neighbourhood's, place by place, before
%   they are ranked. The sums are in A's class as A + S gives them: single
%   and double add in their precision; integers round the sum to the
%   nearest (halves away from zero) and saturate (int64 and uint64 exactly).
%   Logical A then gives a double B.
%
%   B = PLORVENT_ORDFILT2(..., PADOPT) decides the elements beyond A's
%   edges: 'zeros' (the default) or 'symmetric' (A mirrored about its
%   edges, the edge element repeated).
%
%   B = PLORVENT_ORDFILT2(..., 'Threads', T) runs on T worker threads (the
%   host's computational threads by default); the result is the same for
%   any T. B = PLORVENT_ORDFILT2(..., 'MemoryBudget', BYTES) refuses a call
%   whose work memory would exceed BYTES (default max(2^27, 32*numel(A))).
%   A call's peak beyond A is B and at most 16 MiB of work a thread, unless
%   the neighbourhood itself is larger (at 10^7 double elements, 76 MiB and
%   at most 16 MiB a thread).
%
%   A may be logical or of any numeric class: B has A's size and class. An
%   array of more than two dimensions is filtered plane by plane. Each
%   element of B is the bits of one element of its neighbourhood (or sum).
%   NaN count as greater than every number, -0 as less than +0: an ORDER
%   that falls on a NaN gives NaN. This is the order a sort gives, the same
%   for every neighbourhood; Octave's image package ranks NaN by unordered
%   comparisons, so there ORDFILT2([1 NaN 3 2 5], 1, [1 1 1]) gives
%   [0 1 NaN 2 0] (a NaN the least of [NaN 3 2] but not of [1 NaN 3]),
%   where this function gives [0 1 2 2 0].
%
%   Example: the least, median and greatest of each cross-shaped
%   neighbourhood
%     A = magic(5);
%     cross = [0 1 0; 1 1 1; 0 1 0];
%     low = plorvent_ordfilt2(A, 1, cross)
%     middle = plorvent_ordfilt2(A, 3, cross, 'symmetric')
%     high = plorvent_ordfilt2(A, 5, cross)
%
%   Text arguments may be character rows or string scalars, in any case;
%   option names may be shortened to any prefix that names one option.
%
%   Errors carry the identifiers plorvent_ordfilt2:notEnoughInputs,
%   :tooManyOutputs, :invalidInput, :invalidWindow, :invalidOrder,
%   :invalidOffsets, :invalidPadding, :unknownOption, :missingOptionValue,
%   :invalidOptionValue, :windowTooLong, :interrupted and :moduleNotFound;
%   the README's table "Errors" says when each is raised, in every function
%   of the toolbox.
%
%   See also PLORVENT_MEDFILT2, ORDFILT2, MEDFILT2.

caller = 'plorvent_ordfilt2';
require_arguments(nargin, nargout, [3 Inf 1], caller, ...
                  'B = plorvent_ordfilt2(A, order, domain, S, padopt, ...)');
A = checked_signal(A, caller);
if ~((isnumeric(domain) || islogical(domain)) && isreal(domain) && ismatrix(domain) && ...
     ~isempty(domain) && ~any(isnan(domain(:))) && numel(domain) <= 2147483647)
  error([caller ':invalidWindow'], ...
        'DOMAIN must be a nonempty real matrix without NaN, of at most 2147483647 elements.');
end
domain = full(domain ~= 0);
if ~is_whole(order, 1, nnz(domain))
  error([caller ':invalidOrder'], ...
        'ORDER must be a whole number from 1 to %d, the elements DOMAIN picks.', nnz(domain));
end
offsets = [];
if ~isempty(varargin) && ~text_value(varargin{1})
  offsets = varargin{1};
  varargin = varargin(2:end);
  if ~((isnumeric(offsets) || islogical(offsets)) && isreal(offsets) && ...
       isequal(size(offsets), size(domain)))
    error([caller ':invalidOffsets'], 'S must be a real matrix of DOMAIN''s size, %d by %d.', ...
          size(domain, 1), size(domain, 2));
  end
  offsets = full(double(offsets));
end
[padding, options] = image_settings(varargin, {'zeros', 'symmetric'}, caller);
B = ranked_image(A, domain, full(double(order)), padding, options, caller, offsets);
end

%!test
%! A = magic(5);
%! cross = [0 1 0; 1 1 1; 0 1 0];
%! assert(plorvent_ordfilt2(A, 1, cross), [0 0 0 0 0; 0 5 1 7 0; 0 4 6 13 0; 0 6 12 2 0; 0 0 0 0 0]);
%! assert(plorvent_ordfilt2([1 NaN 3 2 5], 1, [1 1 1]), [0 1 2 2 0]);
%! assert(plorvent_ordfilt2([1 NaN 3 2 5], 3, [1 1 1]), [NaN NaN NaN 5 5]);
%! assert(plorvent_ordfilt2(true(2), 1, [1 1], [0.5 -1]), [0 -1; 0 -1]);
%!error id=plorvent_ordfilt2:invalidOrder plorvent_ordfilt2(magic(3), 4, [1 0 1 1])
%!error id=plorvent_ordfilt2:invalidOffsets plorvent_ordfilt2(magic(3), 1, [1 1], [1 2 3])
%!demo
%! A = magic(5);
%! cross = [0 1 0; 1 1 1; 0 1 0];
%! low = plorvent_ordfilt2(A, 1, cross)
%! middle = plorvent_ordfilt2(A, 3, cross, 'symmetric')
%! high = plorvent_ordfilt2(A, 5, cross)
