function m = plorvent_core(varargin)
%PLORVENT_CORE Running median with extensions given by the caller (compiled module).
%   M = PLORVENT_CORE(X, XIC, XFC, W2) returns, for each sample of X, the
%   median of the 2*W2+1 samples centred on it. X of any size is taken as
%   one signal in column-major order, X(:); M is always an N-by-1 double
%   column, N = NUMEL(X). The samples before X(1) come from XIC and those
%   after X(end) from XFC, both read in their stored (forward) order:
%
%       XIC(1) ... XIC(W2) | X(1) ... X(N) | XFC(1) ... XFC(W2)
%
%   so XIC(W2) stands right before X(1) and XFC(1) right after X(end).
%   Each extension must hold at least W2 elements; only its first W2 are
%   read, also when it holds more. PLORVENT builds the extensions for you.
%
%   Arguments are double arrays, full, not sparse; complex ones are taken
%   by their real parts. W2 is the half-width: its first element,
%   truncated toward zero (2.9 gives 2, -0.5 gives 0), must be between 0
%   and 1073741823 so that 2*W2+1 fits a 32-bit integer. X may hold at most
%   2147483647 elements. An empty X gives a 0-by-1 result and its
%   extensions are not read. No argument is changed. The work is done in
%   an array of its own, copied into M as the call ends: a call's peak
%   beyond its arguments is two arrays of M's size and a little work
%   memory, at 10^7 samples and W2 = 50 153 MiB and under 1 MiB.
%
%   Results are exact: every output is one of its window's own samples,
%   chosen by a fixed quickselect that compares with IEEE '>' only. For a
%   window without NaN it is the true median. For a window holding NaN, the
%   output is whatever that selection leaves in the middle: it can be a
%   NaN or one of the other samples. Zeros of both signs compare equal, and
%   which of them is returned is fixed by the same selection order.
%
%   Example: extensions of zeros, windows (0 3 1) (3 1 2) (1 2 5) (2 5 4) (5 4 0)
%     m = plorvent_core([3 1 2 5 4], 0, 0, 1)    % gives [1; 2; 2; 4; 4]
%
%   Errors, by identifier:
%     (none)                             not 4 arguments and 1 result; the
%                                        message is "Incorrect number of
%                                        parameters." and, on a new line,
%                                        "Syntax: m = plorvent_core(x, xic, xfc, W2)"
%     plorvent_core:notDouble            an argument is not of class double
%     plorvent_core:sparse               an argument is sparse
%     plorvent_core:emptyHalfWidth       W2 is empty
%     plorvent_core:nonFiniteHalfWidth   W2 is NaN or Inf
%     plorvent_core:negativeHalfWidth    W2 truncates below 0
%     plorvent_core:halfWidthTooLarge    2*W2+1 does not fit a 32-bit integer
%     plorvent_core:shortExtension       XIC or XFC holds fewer than W2
%                                        elements (X not empty)
%     plorvent_core:tooManyElements      X holds more than 2147483647 elements
%     plorvent_core:interrupted          a Ctrl-C stopped the call (GNU
%                                        Octave; MATLAB lets no module see one)
%     plorvent_core:moduleNotFound       this file ran: the module is missing
%                                        beside it, or it stands ahead of the
%                                        module's folder on the path
%
%   This file holds the help only. The compiled module plorvent_core.mex
%   (plorvent_core.mexa64 and so on in MATLAB) beside it is what runs: in
%   the same folder a compiled function takes precedence over an .m file.
%
%   See also PLORVENT, MEDIAN.

% Reached only when the module is missing from this folder or a folder ahead of it on the path.
error('plorvent_core:moduleNotFound', ...
      ['The compiled module plorvent_core.%s was not found beside %s.m. Build it ', ...
       '(bash scripts/demo.sh builds build/linux/octave, which holds the whole toolbox) and put ', ...
       'its folder on the path.'], mexext(), mfilename('fullpath'));

%!test
%! assert(plorvent_core([3 1 2 5 4], 0, 0, 1), [1; 2; 2; 4; 4]);
%! assert(plorvent_core([1 2 3], [1000 -1000], [-1000 1000], 2), [2; 1; 2]);
%!error id=plorvent_core:shortExtension m = plorvent_core([1 2 3], 0, 0, 2)
