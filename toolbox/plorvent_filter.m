function y = plorvent_filter(varargin)
%PLORVENT_FILTER Running median of every signal of an array (compiled module).
%   Y = PLORVENT_FILTER(X, W, PADDING, FILL, DIM, NANMODE, BLOCKSIZE, THREADS, BUDGET)
%   is the compiled work of PLORVENT, which checks a friendlier form of the
%   same arguments and calls it; call PLORVENT unless you need the module
%   itself. Every argument is required:
%
%     X          a real numeric or logical array, full
%     W          the window length: an odd whole number, 1 to 2147483647
%     PADDING    0 the constant FILL, 1 replicate, 2 symmetric, 3 periodic
%     FILL       the padding constant: a double holding a value of X's
%                class or, for int64 and uint64 X, a scalar of X's class,
%                carried exactly (a double holds only some of its values)
%     DIM        the dimension the signals lie along (beyond NDIMS(X):
%                every sample is a signal of length 1)
%     NANMODE    0: a window holding NaN gives NaN and is never computed;
%                1: it gives what PLORVENT_CORE's selection leaves
%     BLOCKSIZE  the most outputs of a signal computed at a time
%     THREADS    worker threads, 1 to 256 (inputs under 65536 samples use 1)
%     BUDGET     the most bytes of work memory the call may take (Inf
%                allowed); fewer threads run where all would take more
%
%   W, PADDING, DIM, NANMODE, BLOCKSIZE, THREADS and BUDGET are real
%   double scalars. Y has the class and size of X. The outputs are the bits
%   PLORVENT documents (with NANMODE 0 a zero median is -0 exactly when the
%   window's zeros are all -0; with 1 it is the selection's), the same for
%   any BLOCKSIZE and THREADS. X is never changed.
%
%   Y = PLORVENT_FILTER(..., 'outputs', [FIRST LAST]) computes only outputs
%   FIRST to LAST (1-based) of each signal: Y is LAST-FIRST+1 long along DIM,
%   and holds the bits of those outputs of the whole call. The name-value
%   pair may follow the arguments of either mode.
%
%   BYTES = PLORVENT_FILTER(..., 'length', N), in either mode, plans the call
%   for signals of N samples along DIM without computing it: X (of the
%   signals' class) holds no sample along DIM, and BYTES is the work memory
%   the plan takes for samples that need no extra (no 64-bit integer beyond
%   2^53, no window the key order leaves undecided), or the call is refused
%   as it would be. PLORVENT_FILE so refuses a signal too long for its
%   budget before it reads it.
%
%   Y = PLORVENT_FILTER('moving', X, BACK, FORWARD, DIM, NANMODE, ENDS, FILL,
%                       TIMES, FORWARD_OPEN, THREADS, ...)
%   is the moving mode, the work of PLORVENT_MOVMEDIAN, PLORVENT_MEDFILT1 and
%   of PLORVENT with 'omitnan' or 'shrink': output i of each signal is the
%   median of the samples from BACK before it to FORWARD after it, those not
%   counted left out (the mean of the two middle values for an even count,
%   NaN for none):
%
%     BACK, FORWARD  samples, whole numbers 0 or more (Inf: past every
%                    end); with TIMES, lengths of time, 0 or more
%     NANMODE        0: a window holding NaN gives NaN; 1: NaN are omitted
%     ENDS           0: windows hold only the samples inside the signal;
%                    1: positions past the ends hold FILL (not with TIMES)
%     TIMES          [] or the ascending finite times of the samples along
%                    DIM: a window then holds the samples whose time lies
%                    from t-BACK to t+FORWARD (that end left out when
%                    FORWARD_OPEN is 1)
%
%   Y has the size of X and its class, but double for logical X; a zero
%   median is -0 exactly when the window's counted zeros are all -0. FILL
%   is a value of Y's class, given as for the other mode. The signals along DIM hold at most
%   2147483646 samples. 64-bit integers are exact however large: each
%   result is one of the samples, or (a mean, or between two samples) the
%   exact value rounded once, halves away from zero. The name-value pairs
%   'blocksize', B and 'budget', BYTES (by default 2^20 and Inf) act as
%   BLOCKSIZE and BUDGET above. 'statistic', S chooses what each window
%   gives: 'median' (the default), 'quantile' (of probability 'p', P, by
%   'method', M: 1 to 9 as QUANTILE numbers them, by default 5; 'p' and
%   'method' go with a quantile only), 'mad' (the median absolute
%   deviation around the window's median, not scaled; [Y, MEDIANS] = ...
%   returns the medians too), 'hampel' (results Y, J, MEDIANS, SIGMA: the
%   samples with those beyond 'nsigma', F (default 3) times SIGMA from the
%   median replaced by it, the flags, and SIGMA = 'scale', S times the MAD,
%   S by default -1/(sqrt(2)*erfcinv(3/2))) or 'outliers' (results B, TF,
%   L, U, C: the samples with outliers filled by 'fillmethod', 'center',
%   'clip' or a value of Y's class, the flags of samples beyond
%   'threshold', F (default 3) scaled MADs from the median, the bounds and
%   the medians). Flags are logical; the other statistics double (single
%   for single X). 'results', [R ...] names the results to compute, in the
%   order they are returned; without it, the first NARGOUT. Each parameter
%   goes only with the statistics that take it.
%
%   Y = PLORVENT_FILTER('image', A, DOMAIN, ORDER, PADDING, FILL, THREADS,
%                       BUDGET, ...)
%   is the image mode, the work of PLORVENT_MEDFILT2 and PLORVENT_ORDFILT2:
%   each plane A(:, :, k) is an image, and each of its samples is replaced
%   by the ORDER-th smallest (1 to nnz(DOMAIN)) of the samples that DOMAIN,
%   an M-by-N logical matrix, picks from the window whose origin, row
%   floor((M+1)/2) and column floor((N+1)/2), lies on it. PADDING 0: the
%   samples beyond the image are FILL (a value of Y's class); 1: the image
%   mirrored about its edges, the edge repeated. Y has A's size and class;
%   NaN rank above every number (-0 below +0), so each result is one of
%   the window's samples, or NaN. Name-value pairs: 'offsets', S (a double
%   matrix of DOMAIN's size whose elements are added, place by place, to
%   the window's samples before they are ranked, in A's class as A + S
%   computes it; logical A then gives double Y), 'blocksize', B (the
%   most output rows a tile of the work takes, by default as suits the
%   window: the result is the same for any B) and 'meannext', 1 (each result the mean of the
%   ORDER-th and the next, as PLORVENT_MEDFILT2 takes an even window's
%   median).
%
%   A call's peak memory beyond X is its results (in GNU Octave the
%   module's own arrays, handed back without a copy) and the work memory,
%   which BUDGET bounds: at 10^7 double samples and W = 101, Y is 76 MiB
%   and the work at most 17 MiB a thread.
%
%   Errors, by identifier:
%     plorvent_filter:usage            not 9 arguments (11 in the moving
%                                      mode, 8 in the image mode) and
%                                      name-value pairs, or more
%                                      results than the call gives (2 with
%                                      'statistic', 'mad', 4 with 'hampel',
%                                      5 with 'outliers', else 1)
%     plorvent_filter:invalidInput     X is not a real, full, numeric or
%                                      logical array
%     plorvent_filter:invalidArgument  another argument is not a real double
%                                      scalar in its range; also a
%                                      parameter ('p', 'method', 'nsigma',
%                                      'threshold', 'scale', 'fillmethod')
%                                      with a statistic that does not take it
%     plorvent_filter:windowTooLong    the work would need more bytes than
%                                      BUDGET (the message says how many)
%     plorvent_filter:interrupted      a Ctrl-C stopped the call (GNU
%                                      Octave; MATLAB lets no module see one)
%     plorvent_filter:moduleNotFound   this file ran: the module is missing
%                                      beside it, or it stands ahead of the
%                                      module's folder on the path (the
%                                      toolbox's functions pass this on as
%                                      <their name>:moduleNotFound)
%
%   This file holds the help only; the compiled module beside it is what runs:
%   plorvent_filter.oct in GNU Octave (a native module), plorvent_filter.mexw64
%   (.mexa64, ...) in MATLAB.
%
%   See also PLORVENT, PLORVENT_MOVMEDIAN, PLORVENT_MEDFILT1, PLORVENT_CORE.

% Reached only when the module is missing from this folder or a folder ahead of it on the path.
if exist('OCTAVE_VERSION', 'builtin')
  extension = 'oct';
else
  extension = mexext();
end
error('plorvent_filter:moduleNotFound', ...
      ['The compiled module plorvent_filter.%s was not found beside %s.m. Build it ', ...
       '(build_plorvent, or bash scripts/demo.sh) and put its folder on the path.'], extension, ...
      mfilename('fullpath'));

%!test
%! assert(plorvent_filter([3 1 2 5 4], 3, 0, 0, 2, 0, 1e6, 1, Inf), [1 2 2 4 4]);
%! assert(plorvent_filter('image', [3 1 2 5 4], true(1, 3), 3, 1, 0, 1, Inf), [3 3 5 5 5]);
%! assert(plorvent_filter(uint8([3 1 2 5 4]'), 3, 1, 0, 1, 0, 2, 2, Inf), uint8([3 2 2 4 4]'));
%! assert(plorvent_filter('moving', [4 8 6 -1], 1, 1, 2, 0, 0, 0, [], 0, 1), [6 6 6 2.5]);
%!error id=plorvent_filter:usage plorvent_filter(1)
%!error id=plorvent_filter:invalidArgument plorvent_filter('moving', 1:3, 1, 1, 2, 0, 0, 0, [3 2 1], 0, 1)
%!error id=plorvent_filter:invalidArgument plorvent_filter('moving', 1:3, 1.5, 1, 2, 0, 0, 0, [], 0, 1)
%!assert (plorvent_filter ('moving', int64 ([1 2^60]), 1, 1, 2, 0, 0, 0, [], 0, 1), int64 ([2^59 2^59]) + 1)
