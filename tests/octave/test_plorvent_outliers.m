% plorvent_hampel, plorvent_isoutlier and plorvent_filloutliers against references written from
% their definitions: each window's counted samples sorted, the median of the middle one or two,
% the MAD the median of the deviations from it; on small signals with NaN runs, ties, infinities,
% zeros of both signs, windows longer than the signal, sample points with gaps and repeats,
% arrays along dimensions 1 to 3, every class.

%!function m = median_of(w)
%! % The median of W as the module takes it: the mean of two middle values a <= b as
%! % a + (b-a)/2 when both are finite and of one sign, (a+b)/2 otherwise; NaN for none.
%! w = sort(w(:));
%! c = numel(w);
%! if c == 0 || any(isnan(w))
%!   m = NaN(1, class(w));
%! elseif mod(c, 2) == 1
%!   m = w((c + 1) / 2);
%! else
%!   [a, b] = deal(w(c / 2), w(c / 2 + 1));
%!   if all(isfinite([a b])) && (a >= 0) == (b >= 0)
%!     m = a + (b - a) / 2;
%!   else
%!     m = (a + b) / 2;
%!   end
%! end
%!endfunction

%!function [C, S] = reference(x, t, back, forward, open)
%! % The median C and scaled MAD S of each window of the column X at times T: from T-BACK to
%! % T+FORWARD, that end left out when OPEN; NaN left out.
%! kappa = -1 / (sqrt(2) * erfcinv(3 / 2));
%! [C, S] = deal(NaN(size(x), class(x)));
%! for i = 1:numel(x)
%!   inside = t >= t(i) - back & (t < t(i) + forward | (~open & t == t(i) + forward));
%!   w = x(inside & ~isnan(x));
%!   C(i) = median_of(w);
%!   S(i) = kappa * median_of(abs(w - C(i)));
%! end
%!endfunction

%!function [C, S] = reference_along(x, dim, t, back, forward, open)
%! % REFERENCE for every signal of X along DIM.
%! order = [dim, setdiff(1:max(ndims(x), dim), dim)];
%! xp = permute(x, order);
%! [C, S] = deal(zeros(size(xp), class(x)));
%! for c = 1:numel(xp) / max(size(xp, 1), 1)
%!   [C(:, c), S(:, c)] = reference(xp(:, c), t, back, forward, open);
%! end
%! [C, S] = deal(ipermute(C, order), ipermute(S, order));
%!endfunction

%!function x = random_signal(sz, kind)
%! % Small integers (ties), -0, NaN runs and infinities, in class KIND.
%! x = round(4 * randn(sz));
%! x(rand(sz) < 0.15) = -0;
%! x(rand(sz) < 0.1) = 40 * sign(randn);  % outliers
%! if any(strcmp(kind, {'double', 'single'}))
%!   x = x + 0.25 * (rand(sz) < 0.3);
%!   specials = [NaN NaN Inf -Inf];
%!   for run = 1:randi([0 3])
%!     at = randi(max(numel(x), 1));
%!     x(at:min(numel(x), at + randi(4) - 1)) = specials(randi(4));
%!   end
%! end
%! if strcmp(kind, 'logical')
%!   x = x > 0;
%! else
%!   x = cast(x, kind);
%! end
%!endfunction

%!test  # isoutlier and hampel against the reference, every class, dims 1-3, sample points
%! rand('seed', 31); randn('seed', 31);
%! kinds = {'double', 'single', 'int8', 'uint8', 'int16', 'int32', 'uint32', 'int64', 'uint64', ...
%!          'logical'};
%! for trial = 1:240
%!   kind = kinds{mod(trial, numel(kinds)) + 1};
%!   shapes = {[randi([1 30]) 1], [1 randi([1 30])], [randi([1 12]) randi(3)], [2 randi([1 9]) 2]};
%!   sz = shapes{randi(4)};
%!   x = random_signal(sz, kind);
%!   dim = randi(3);
%!   n = size(x, dim);
%!   t = (1:n)';
%!   timed = rand < 0.3;
%!   if timed
%!     t = cumsum(randi([0 3], n, 1)) / 2;   % gaps and repeats
%!   end
%!   if rand < 0.5
%!     window = randi(2 * n + 3) * (1 + 0.5 * timed * (rand < 0.5));
%!     [back, forward, open] = deal(window / 2, window / 2, true);
%!   else
%!     window = randi([0 n + 2], 1, 2);
%!     [back, forward, open] = deal(window(1), window(2), false);
%!   end
%!   factor = 3 * rand * (rand < 0.8);
%!   args = {x, 'movmedian', window, dim, 'ThresholdFactor', factor};
%!   if timed
%!     args = [args, {'SamplePoints', t}];
%!   end
%!   what = sprintf('trial %d: %s %s dim %d window [%s]', trial, kind, mat2str(sz), dim, ...
%!                  num2str(window));
%!   [TF, L, U, C] = plorvent_isoutlier(args{:});
%!   samples = x;
%!   if ~isa(x, 'single')
%!     samples = double(x);
%!   end
%!   [C0, S0] = reference_along(samples, dim, t, back, forward, open);
%!   assert(isequaln(C, C0), what);
%!   assert(isequaln(L, C0 - factor * S0) && isequaln(U, C0 + factor * S0), what);
%!   assert(isequal(TF, samples < L | samples > U) && islogical(TF), what);
%!   assert(isa(C, class(samples)) && isa(L, class(samples)) && isa(U, class(samples)), what);
%!   if ndims(x) == 2
%!     k = randi([0 n]);
%!     nsigma = 3 * rand * (rand < 0.8);
%!     [y, j, xmedian, xsigma] = plorvent_hampel(x, k, nsigma);
%!     along = 1 + isrow(x);
%!     [C0, S0] = reference_along(samples, along, (1:size(x, along))', k, k, false);
%!     assert(isequaln(xmedian, C0) && isequaln(xsigma, S0), [what ' hampel']);
%!     assert(isequal(j, abs(samples - C0) > nsigma * S0), [what ' hampel']);
%!     expected = x;
%!     if islogical(x)
%!       expected = samples;
%!     end
%!     expected(j) = C0(j);
%!     assert(isequaln(y, expected) && strcmp(class(y), class(expected)), [what ' hampel']);
%!   end
%! end

%!function B = filled_reference(A, TF, L, U, C, method, dim, t)
%! % Each outlier filled one at a time: from the first sample at each point that is neither
%! % outlier nor NaN (nor infinite, for 'spline' and 'pchip'), by the rule METHOD names; an
%! % outlier with nothing to take keeps its value.
%! B = A;
%! if islogical(B)
%!   B = double(B);
%! end
%! order = [dim, setdiff(1:max(ndims(A), dim), dim)];
%! [Bp, TFp] = deal(permute(B, order), permute(TF, order));
%! [Lp, Up, Cp] = deal(permute(L, order), permute(U, order), permute(C, order));
%! for c = 1:numel(Bp) / size(Bp, 1)
%!   known = find(~TFp(:, c) & ~isnan(Bp(:, c)));
%!   if any(strcmp(method, {'spline', 'pchip'}))    % these through Inf would give NaN everywhere
%!     known = known(isfinite(Bp(known, c)));
%!   end
%!   [points, first] = unique(t(known), 'first');
%!   values = double(Bp(known(first), c));
%!   for i = find(TFp(:, c))'
%!     v = NaN;
%!     if isnumeric(method)
%!       v = method;
%!     elseif strcmp(method, 'center')
%!       v = Cp(i, c);
%!     elseif strcmp(method, 'clip')
%!       v = min(max(Bp(i, c), Lp(i, c)), Up(i, c));
%!     elseif numel(points) >= 2
%!       before = find(points <= t(i), 1, 'last');
%!       after = find(points >= t(i), 1);
%!       switch method
%!         case 'previous'
%!           v = values(before);
%!         case 'next'
%!           v = values(after);
%!         case 'nearest'
%!           [~, at] = min(abs(points - t(i)) - 0.25 * (points > t(i)));  % ties: the later
%!           v = values(at);
%!         otherwise
%!           v = interp1(points, values, t(i), method, 'extrap');
%!       end
%!     end
%!     if ~isempty(v) && ~isnan(v)
%!       Bp(i, c) = v;
%!     end
%!   end
%! end
%! B = ipermute(Bp, order);
%!endfunction

%!test  # every fill method against a direct computation, along dims 1-3, with sample points
%! rand('seed', 32); randn('seed', 32);
%! methods = {'center', 'clip', 'previous', 'next', 'nearest', 'linear', 'spline', 'pchip', 7};
%! for trial = 1:150
%!   kind = {'double', 'single', 'int16', 'logical'}{randi(4)};
%!   x = random_signal([randi([1 25]) randi(2) randi(2)], kind);
%!   dim = randi(3);
%!   n = size(x, dim);
%!   t = (1:n)';
%!   options = {};
%!   if rand < 0.4
%!     t = cumsum(randi([0 3], n, 1));
%!     options = {'SamplePoints', t};
%!   end
%!   method = methods{mod(trial, numel(methods)) + 1};
%!   window = randi([0 5], 1, 2);
%!   [B, TF, L, U, C] = plorvent_filloutliers(x, method, 'movmedian', window, dim, options{:});
%!   [TF0, L0, U0, C0] = plorvent_isoutlier(x, 'movmedian', window, dim, options{:});
%!   assert(isequal(TF, TF0) && isequaln({L, U, C}, {L0, U0, C0}));
%!   expected = filled_reference(x, TF, L, U, C, method, dim, t);
%!   assert(isequaln(B, expected), sprintf('trial %d: %s %s dim %d', trial, method, kind, dim));
%! end

%!test  # NaN, infinities, long windows, empty arrays, the plot
%! x = [NaN 1 NaN NaN NaN 2 2 40 3 3 NaN];
%! medians = [1 1 1 NaN 2 2 2 3 3 3 3];
%! [y, j, xmedian] = plorvent_hampel(x, 1);             % NaN samples stay, unflagged
%! assert(isequaln({y, xmedian}, {[x(1:7) 3 x(9:end)], medians}) && isequal(j, x == 40));
%! [TF, ~, ~, C] = plorvent_isoutlier(x, 'movmedian', 3);
%! assert(isequal(TF, x == 40) && isequaln(C, medians));
%! % the median infinite: the MAD is NaN, the bounds too, and no sample lies beyond them
%! [y, j] = plorvent_hampel([Inf Inf 1], 1);
%! assert(y, [Inf Inf 1]);
%! assert(j, false(1, 3));
%! assert(plorvent_isoutlier([Inf Inf 1], 'movmedian', 3), false(1, 3));
%! % windows longer than the signal: one window for all
%! z = [1 2 3 100 2 1];
%! assert(plorvent_hampel(z, 1e9), [1 2 3 2 2 1]);
%! assert(plorvent_isoutlier(z', 'movmedian', 2^40), logical([0 0 0 1 0 0]'));
%! % empty arrays keep their size
%! for sz = {[0 0], [0 3], [3 0], [1 0]}
%!   assert(size(plorvent_hampel(zeros(sz{1}))), sz{1});
%!   assert(size(plorvent_filloutliers(int8(zeros(sz{1})), 'linear', 'movmedian', 3)), sz{1});
%! end
%! % no output argument: a plot, nothing returned
%! warning('off', 'Octave:gnuplot-graphics', 'local');
%! f = figure('visible', 'off');
%! unwind_protect
%!   clear ans;
%!   plorvent_hampel([1 2 3 40 5 6 7; 1 2 3 4 5 6 -70]', 2);
%!   assert(~exist('ans', 'var'));
%!   panels = findobj(f, 'type', 'axes', '-not', 'tag', 'legend');
%!   assert(numel(panels), 2);
%!   lines = get(panels(1), 'children');
%!   assert(numel(lines), 3);
%! unwind_protect_cleanup
%!   close(f);
%! end_unwind_protect

%!test  # signals the module gathers (single, or along dim 2) in pieces: the medians beside the MAD
%! x = randn(3e5, 2);
%! x(1:1000:end) = 50;
%! [TF, L, U, C] = plorvent_isoutlier(x, 'movmedian', 9);
%! [TF2, L2, U2, C2] = plorvent_isoutlier(x', 'movmedian', 9, 2);
%! assert(isequal({TF2, L2, U2, C2}, {TF', L', U', C'}) && all(TF(1:1000:end)));
%! [~, ~, ~, C1] = plorvent_isoutlier(single(x), 'movmedian', 9);
%! assert(isequal(C1(5:end - 4, :), single(C(5:end - 4, :))));  % whole windows: a sample each

%!test  # 64-bit integers beyond 2^53: exact medians detect and fill, the statistics are doubles
%! x = int64([1 2 3 100 5 6 7]) * 2^55;
%! [y, j, xmedian, xsigma] = plorvent_hampel(x, 2);
%! assert(isequal(j, logical([0 0 0 1 0 0 0])) && isequal(y(4), int64(5) * 2^55));
%! [TF, L, U, C] = plorvent_isoutlier(x, 'movmedian', 5);
%! [B, ~, ~, ~, C2] = plorvent_filloutliers(x, 'center', 'movmedian', 5);
%! assert(isequal(TF, j) && isequal(B, y));
%! assert(all(cellfun(@(v) isa(v, 'double'), {xmedian, xsigma, L, U, C, C2})));

%!test  # 64-bit integers: offsets from a base beyond 2^53 decide as the same offsets from 0
%! rand('seed', 25);
%! for trial = 1:150
%!   n = randi([1 12]);
%!   k = randi([0 3]);
%!   t = [0 0.5 1 2 3](randi(5));
%!   d = randi([0 12], 1, n);
%!   for kind = {'int64', 'uint64'}
%!     base = cast(2, kind{1})^(60 + strcmp(kind{1}, 'uint64') * 3) + randi(1000);
%!     [near, far] = deal(cast(d, kind{1}), base + cast(d, kind{1}));
%!     [y0, j0] = plorvent_hampel(near, k, t);
%!     [y1, j1] = plorvent_hampel(far, k, t);
%!     assert(j1, j0);
%!     assert(y1 - base, y0);  % a replaced sample takes the exact median in its class
%!     args = {'movmedian', 2 * k + 1, 'ThresholdFactor', t};
%!     assert(plorvent_isoutlier(far, args{:}), plorvent_isoutlier(near, args{:}));
%!     [B0, TF0] = plorvent_filloutliers(near, 'center', args{:});
%!     [B1, TF1] = plorvent_filloutliers(far, 'center', args{:});
%!     assert(TF1, TF0);
%!     assert(B1 - base, B0);
%!     [~, TF1] = plorvent_filloutliers(far, 'linear', args{:});
%!     assert(TF1, TF0);
%!   end
%! end
