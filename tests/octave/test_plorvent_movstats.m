% plorvent_movmad, plorvent_movquantile and plorvent_movprctile against each window's counted
% samples gathered by hand: the MAD from those samples sorted, the quantiles from Octave's own
% quantile(w, p, 1, method) for every method. Random small signals of every class with NaN runs,
% ties, infinities and zeros of both signs; windows even and odd, [kb kf], longer than the
% signal, padded or discarded at the ends, or in time over sample points with gaps and repeats;
% arrays along dimensions 1 to 3.

%!function [members, keep] = window_members(n, k, ends, times)
%! % For each of N outputs, the indices of its window's samples in [signal; padding] (N+1 is the
%! % padding), and whether the window lies wholly inside the signal.
%! members = cell(n, 1);
%! keep = true(n, 1);
%! for i = 1:n
%!   if isempty(times)
%!     if isscalar(k)
%!       offsets = ceil(-k / 2):ceil(k / 2) - 1;     % from -k/2 up to (not including) k/2
%!     else
%!       offsets = -floor(k(1)):floor(k(2));
%!     end
%!     p = i + offsets;
%!     inside = p >= 1 & p <= n;
%!     keep(i) = all(inside);
%!     if ischar(ends)
%!       p = p(inside);
%!     else
%!       p(~inside) = n + 1;
%!     end
%!   else
%!     reach = [k k] / 2;
%!     in = times >= times(i) - reach(1) & times < times(i) + reach(2);
%!     if ~isscalar(k)
%!       reach = k;
%!       in = times >= times(i) - k(1) & times <= times(i) + k(2);
%!     end
%!     p = find(in);
%!     keep(i) = times(i) - reach(1) >= times(1) && times(i) + reach(2) <= times(end);
%!   end
%!   members{i} = p;
%! end
%! keep = keep | ~strcmp(ends, 'discard');
%!endfunction

%!function [y, exact] = by_windows(x, k, dim, omit, ends, times, statistic)
%! % STATISTIC of each window's counted samples (in double), for every signal of X along DIM;
%! % EXACT marks the results that are one of their window's samples.
%! order = [dim, setdiff(1:max(ndims(x), dim), dim)];
%! xp = permute(double(x), order);
%! sz = size(xp);
%! columns = reshape(xp, sz(1), []);
%! [members, keep] = window_members(sz(1), k, ends, times);
%! fill = NaN;                                 % 'fill'; integers hold it as 0
%! if isnumeric(ends)
%!   fill = ends;
%! end
%! if ~islogical(x)
%!   fill = double(cast(fill, class(x)));
%! end
%! y = zeros(size(columns));
%! exact = false(size(columns));
%! for c = 1:size(columns, 2)
%!   s = [columns(:, c); fill];
%!   for i = 1:sz(1)
%!     w = s(members{i});
%!     if omit
%!       w = w(~isnan(w));
%!     end
%!     y(i, c) = statistic(w(:));
%!     exact(i, c) = any(w == y(i, c));
%!   end
%! end
%! sz(1) = nnz(keep);
%! y = ipermute(reshape(y(keep, :), sz), order);
%! exact = ipermute(reshape(exact(keep, :), sz), order);
%!endfunction

%!function v = signed(v, w)
%! % A zero V is -0 exactly when every zero among the samples W is -0.
%! if v == 0
%!   v = 0;
%!   zeros_of_w = w(w == 0);
%!   if ~isempty(zeros_of_w) && all(1 ./ zeros_of_w < 0)
%!     v = -0;
%!   end
%! end
%!endfunction

%!function m = median_of(w)
%! w = sort(w);
%! c = numel(w);
%! m = signed((w(floor((c + 1) / 2)) + w(ceil((c + 1) / 2))) / 2, w);
%!endfunction

%!function m = mad_of(w)
%! m = NaN;
%! if ~isempty(w) && ~any(isnan(w))
%!   deviations = abs(w - median_of(w));
%!   if ~any(isnan(deviations))   % an infinite median
%!     m = median_of(deviations);
%!   end
%! end
%!endfunction

%!function q = quantile_of(w, p, method)
%! % Octave's quantile of W. Infinities are stood in for by finite values far beyond the other
%! % samples (which quantile would meet in 0*Inf and Inf-Inf): the weights the result gives
%! % them, found by moving each stand-in, tell an infinite (or, given both, undefined) result.
%! q = NaN;
%! if isempty(w) || any(isnan(w))
%!   return;
%! end
%! far = 1e9 * max([1; abs(w(isfinite(w)))]);
%! at = @(low, high) quantile(min(max(w, -low), high), p, 1, method);
%! q = at(far, far);
%! if any(isinf(w))
%!   weights = [q - at(2 * far, far), at(far, 2 * far) - q] / far > 1e-12;
%!   if any(weights)
%!     q = [-Inf Inf NaN](weights * [1; 2]);
%!   end
%! end
%! q = signed(q, w);
%!endfunction

%!function check(got, want, exact, x, what)
%! % GOT of X's class (double for logical X): WANT rounded to it, exactly where EXACT, within a
%! % few units in the last place elsewhere; zeros of WANT's sign.
%! kind = class(x);
%! if islogical(x)
%!   kind = 'double';
%! end
%! assert(strcmp(class(got), kind) && isequal(size(got), size(want)), '%s: %s %s', what, ...
%!        class(got), mat2str(size(got)));
%! g = double(got(:));
%! w = want(:);
%! if isinteger(got)
%!   w = min(max(w, double(intmin(kind))), double(intmax(kind)));
%!   assert(all(abs(g - w) <= 0.5 + 1e-9 * abs(w)), what);
%!   return;
%! end
%! finite = double(x(isfinite(x)));
%! tolerance = 8 * eps(kind) * max([abs(finite(:)); 1]);
%! same = (g == w & signbit(g) == signbit(w)) | (isnan(g) & isnan(w));
%! near = ~exact(:) & abs(g - w) <= tolerance & ~(g == 0 & w == 0);  % no zero of the wrong sign
%! bad = find(~(same | near), 1);
%! assert(isempty(bad), '%s: element %d is %.17g, not %.17g', what, bad, g(bad), w(bad));
%!endfunction

%!function x = random_signal(sz, kind)
%! x = randn(sz);
%! tie = rand(sz) < 0.4;
%! x(tie) = randi([-3 3], nnz(tie), 1);
%! x(rand(sz) < 0.1) = -0;
%! if any(strcmp(kind, {'double', 'single'}))
%!   specials = [NaN Inf -Inf NaN];
%!   for run = 1:randi([0 3])
%!     at = randi(numel(x));
%!     x(at:min(numel(x), at + randi(4) - 1)) = specials(randi(4));
%!   end
%! elseif strcmp(kind, 'logical')
%!   x = x > 0;
%!   return;
%! else
%!   x = round(4 * x);
%!   if rand < 0.2      % the class's extremes (64-bit integers: those a double holds)
%!     x(randi(numel(x))) = min(double(intmax(kind)), 2^53);
%!     x(randi(numel(x))) = max(double(intmin(kind)), -2^53);
%!   end
%! end
%! x = cast(x, kind);
%!endfunction

%!function [args, k, ends, times, omit] = random_call(n, dim)
%! % A random window and options for signals of N samples along DIM, as the functions take them.
%! k = randi(n + 4);                            % also longer than the signal
%! if rand < 0.3
%!   k = randi([0 n + 2], 1, 2);
%! elseif rand < 0.2
%!   k = k + 0.5;
%! end
%! omit = rand < 0.5;
%! flags = {'includenan', 'omitnan'};
%! times = [];
%! choices = {'shrink', 'discard', 'fill', -0.5, 2};
%! ends = choices{randi(5)};
%! if rand < 0.3                                % times with gaps and repeats
%!   times = cumsum(randi([0 3], n, 1)) / 2;
%!   ends = choices{randi(2)};
%! end
%! args = {k, dim, flags{omit + 1}, 'Endpoints', ends, 'SamplePoints', times};
%! if isempty(times)
%!   args = args(1:5);
%! end
%! if strcmp(ends, 'fill')
%!   ends = NaN;
%! end
%!endfunction

%!test  # every function against its windows' samples, every class, dimensions 1 to 3
%! rand('seed', 31); randn('seed', 31);
%! kinds = {'double', 'single', 'int8', 'uint8', 'int16', 'uint16', 'int32', 'uint32', ...
%!          'int64', 'uint64', 'logical'};
%! for trial = 1:270
%!   kind = kinds{mod(trial, numel(kinds)) + 1};
%!   dim = randi(3);
%!   sz = randi(2, 1, 3);
%!   sz(dim) = randi(30);
%!   x = random_signal(sz, kind);
%!   [args, k, ends, times, omit] = random_call(sz(dim), dim);
%!   what = sprintf('trial %d, %s, k = [%s], dim %d', trial, kind, num2str(k), dim);
%!   [want, exact] = by_windows(x, k, dim, omit, ends, times, @mad_of);
%!   check(plorvent_movmad(x, args{:}), want, exact, x, ['movmad ' what]);
%!   method = mod(trial, 9) + 1;
%!   p = rand(1, randi(2));
%!   p(rand(size(p)) < 0.3) = randi([0 1]);
%!   got = plorvent_movquantile(x, p, args{:}, 'Method', method);
%!   index = repmat({':'}, 1, ndims(x));
%!   for j = 1:numel(p)
%!     [want, exact] = by_windows(x, k, dim, omit, ends, times, @(w) quantile_of(w, p(j), method));
%!     check(got(index{:}, j), want, exact, x, sprintf('movquantile p = %g, method %d, %s', ...
%!                                                  p(j), method, what));
%!   end
%!   assert(same_bits(plorvent_movprctile(x, 100 * p, args{:}, 'Method', method), ...
%!                    plorvent_movquantile(x, 100 * p / 100, args{:}, 'Method', method)), what);
%!   assert(same_bits(plorvent_movquantile(x, 0.5, args{:}), plorvent_movmedian(x, args{:})), ...
%!          ['median ' what]);
%! end

%!test  # quantile 0.5 by default is the median to the bit, also on long signals and windows
%! rand('seed', 32); randn('seed', 32);
%! x = random_signal([3e5 2], 'double');
%! for k = {2, 101, [40 3], 5e5}
%!   for flag = {'includenan', 'omitnan'}
%!     assert(same_bits(plorvent_movquantile(x, 0.5, k{1}, flag{1}), ...
%!                      plorvent_movmedian(x, k{1}, flag{1})), num2str(k{1}));
%!   end
%! end

%!test  # probabilities of any numeric class; one result per probability along ndims(A)+1
%! A = reshape(1:24, 2, 3, 4);
%! Q = plorvent_movquantile(A, single([0 0.5 1]), 3, 3);
%! assert(size(Q), [2 3 4 3]);
%! assert(Q(:, :, :, 2), plorvent_movmedian(A, 3, 3));
%! assert(Q(:, :, :, 3), A(:, :, [2:4 4]));
%! assert(size(plorvent_movprctile(int8(A), uint8([10; 90]), 3, 3, 'End', 'discard')), [2 3 2 2]);
%! assert(plorvent_movquantile((1:4)', true, 2), (1:4)');
%! assert(size(plorvent_movquantile(zeros(0, 3), [0.2 0.4], 3)), [0 3 2]);
%! assert(class(plorvent_movmad(true(2, 2), 2)), 'double');

%!error id=plorvent_movquantile:invalidProbability plorvent_movquantile(1:5, ones(2), 3)
%!error id=plorvent_movquantile:invalidProbability plorvent_movquantile(1:5, 0.5i, 3)
%!error id=plorvent_movprctile:invalidProbability plorvent_movprctile(1:5, [50 100.5], 3)
%!error id=plorvent_movquantile:invalidOptionValue plorvent_movquantile(1:5, 0.5, 3, 'Method', 2.5)
