% plorvent_movmedian and plorvent_medfilt1 against Octave's own movmedian and the signal
% package's medfilt1 on random small signals: NaN runs, ties, zeros, infinities, even and odd
% windows, matrices along dimensions 1 and 2. Equal where the result is a sample; within one unit
% in the last place where it is a mean of two middle values.

%!function ok = near(a, b)
%!  same = (a == b) | (isnan(a) & isnan(b));
%!  ok = isequal(size(a), size(b)) && all(same(:) | abs(a(:) - b(:)) <= eps(max(abs(a(:)), abs(b(:)))));
%!endfunction

%!function x = random_signal(rows, cols)
%!  x = randn(rows, cols);
%!  kind = randi(6, rows, cols);
%!  x(kind == 1) = randi([-2 2], nnz(kind == 1), 1);
%!  x(kind == 2) = -0;
%!  specials = [NaN Inf -Inf];
%!  for run = 1:randi([0 3])
%!    at = randi(max(numel(x), 1));
%!    x(at:min(numel(x), at + randi(5) - 1)) = specials(randi(3));
%!  end
%!endfunction

%!test
%! pkg load signal
%! rand('seed', 13); randn('seed', 13);
%! for trial = 1:300
%!   rows = randi([0 200]); cols = randi(3);
%!   if trial <= 150
%!     x = random_signal(rows, 1);
%!   else
%!     x = random_signal(randi([0 40]), cols);
%!   end
%!   n = randi(25);
%!   dim = randi(2);
%!   for nanflag = {'includenan', 'omitnan'}
%!     for padding = {'zeropad', 'truncate'}
%!       want = medfilt1(x, n, [], dim, nanflag{1}, padding{1});
%!       got = plorvent_medfilt1(x, n, [], dim, nanflag{1}, padding{1});
%!       assert(near(got, want), 'medfilt1 n=%d dim=%d %s %s', n, dim, nanflag{1}, padding{1});
%!     end
%!   end
%! end

%!test
%! rand('seed', 7); randn('seed', 7);
%! for trial = 1:300
%!   dim = randi(2);
%!   x = random_signal(randi([2 200]), randi(3));
%!   if dim == 2
%!     x = x.';
%!   end
%!   if rand < 0.5
%!     k = randi(30);
%!   else
%!     k = randi([0 15], 1, 2);
%!   end
%!   wlen = sum(k) + ~isscalar(k);
%!   if wlen < 2 || wlen >= size(x, dim)
%!     continue;  % Octave's movmedian refuses these windows
%!   end
%!   ends = {'shrink', 'discard', 'fill', randn};
%!   e = ends{randi(4)};
%!   want = movmedian(x, k, dim, 'Endpoints', e);
%!   got = plorvent_movmedian(x, k, dim, 'Endpoints', e);
%!   assert(near(got, want), 'movmedian k=[%s] dim=%d', num2str(k), dim);
%! end

%!test
%! % 'omitnan' (which Octave's movmedian ignores) against medians of each window's non-NaN samples
%! rand('seed', 3); randn('seed', 3);
%! for trial = 1:100
%!   x = random_signal(randi([1 60]), 1)';
%!   kb = randi([0 8]); kf = randi([0 8]);
%!   got = plorvent_movmedian(x, [kb kf], 'omitnan');
%!   for i = 1:numel(x)
%!     w = x(max(1, i - kb):min(end, i + kf));
%!     w = w(~isnan(w));
%!     want = NaN;
%!     if ~isempty(w)
%!       want = median(w);
%!     end
%!     assert(near(got(i), want), 'omitnan [%d %d] at %d', kb, kf, i);
%!   end
%! end

%!test
%! % Sample points evenly spaced give the windows of the count they span; gaps shrink windows.
%! x = randn(50, 2);
%! assert(plorvent_movmedian(x, 3, 'SamplePoints', 0.5 * (1:50)), plorvent_movmedian(x, 6));
%! assert(plorvent_movmedian(x, [1.5 0.5], 'SamplePoints', 0.5 * (1:50)), plorvent_movmedian(x, [3 1]));
%! assert(plorvent_movmedian([1 5 2 8], 3, 'SamplePoints', [0 1 10 11]), [3 3 5 5]);
%! assert(plorvent_movmedian([1 5 2 8], 3, 'SamplePoints', [0 1 10 11], 'Endpoints', 'discard'), zeros(1, 0));

%!test
%! % The fixed engine's windows return plorvent's bits; classes as movmedian gives them.
%! x = randn(1000, 3);
%! assert(plorvent_movmedian(x, 7, 'Endpoints', 0), plorvent(x, 7));
%! assert(plorvent_medfilt1(x, 9), plorvent(x, 9));
%! assert(plorvent_movmedian(int8([1 2 4 8]), 2), int8([1 2 3 6]));
%! assert(class(plorvent_movmedian(single([1 2 4]), 2)), 'single');
%! assert(plorvent_movmedian([true false true], 2), [1 0.5 0.5]);
%! assert(plorvent_movmedian(zeros(0, 3), 3), zeros(0, 3));

%!test
%! % Pieces on two threads give the bits of one; counted runs cross pieces and segments.
%! x = randn(3e5, 2);
%! x(rand(size(x)) < 0.01) = NaN;
%! one = plorvent_filter('moving', x, 50, 49, 1, 1, 0, 0, [], 0, 1);
%! assert(isequaln(plorvent_filter('moving', x, 50, 49, 1, 1, 0, 0, [], 0, 2), one));
%! assert(near(one(:, 2), medfilt1(x(:, 2), 100, [], 1, 'omitnan', 'truncate')));

%!error id=plorvent_movmedian:invalidSamplePoints plorvent_movmedian(1:3, 2, 'SamplePoints', [3 2 1])
%!error id=plorvent_movmedian:invalidSamplePoints plorvent_movmedian(1:3, 2, 'SamplePoints', 1:4)
%!error id=plorvent_movmedian:invalidInput plorvent_movmedian({1}, 2)
%!error id=plorvent_medfilt1:invalidFlag plorvent_medfilt1(1:3, 3, 'omitnan', 'reflect')

%!test
%! % A padding converts to a 64-bit class as the host converts (saturating), and a 64-bit one is
%! % carried exactly: windows [C 1 2], [1 2 3], ..., [4 5 C] worked out by hand.
%! top = intmax('int64');
%! for C = {Inf, 2^63, top, intmax('uint64')}
%!   assert(plorvent_movmedian(int64(1:5), 3, 'Endpoints', C{1}), int64([2 2 3 4 5]));
%!   assert(plorvent_movquantile(int64(1:5), 1, 3, 'Endpoints', C{1}), int64([top 3 4 5 top]));
%!   assert(plorvent_movprctile(int64(1:5), 100, 3, 'Endpoints', C{1}), int64([top 3 4 5 top]));
%!   assert(plorvent_movmad(int64(1:5), 3, 'Endpoints', C{1}), int64([1 1 1 1 1]));
%!   assert(plorvent(int64(1:5), 3, C{1}), int64([2 2 3 4 5]));
%! end
%! assert(plorvent_movquantile(uint64(1:5), 0, 3, 'Endpoints', -Inf), uint64([0 1 2 3 0]));
%! assert(plorvent_movprctile(uint64(1:5), 100, 3, 'Endpoints', 2^64), ...
%!        [intmax('uint64') uint64([3 4 5]) intmax('uint64')]);
%! x = int64(2)^60 + 1;                       % no double holds it
%! assert(plorvent_movmedian([x-10 x+10], 5, 'Endpoints', x), [x x]);
%! assert(plorvent_movquantile([x-10 x+10], 0.5, 5, 'Endpoints', x), [x x]);
%! assert(plorvent([x-10 x+10], 5, x), [x x]);
%! u = uint64(2)^63 + 1;
%! assert(plorvent_movmedian(uint64([1 2]), 5, 'Endpoints', u), [u u]);
%! assert(plorvent_filloutliers(int64([1 1 1 50 1 1 1]), x, 'movmedian', 3), int64([1 1 1 x 1 1 1]));
%! assert(plorvent_filloutliers([1 1 1 50 1 1 1], int64(9), 'movmedian', 3), [1 1 1 9 1 1 1]);

%!test
%! % Sample points far from zero, where a double steps by 2^-23 (1e9), 1/8 (1e15) or 256
%! % (1.7e18): each window holds its own sample, and exactly the times within its reach.
%! assert(plorvent_movmedian(1:3, 100, 'SamplePoints', 1.7e18 + [0 1000 2000]), [1 2 3]);
%! [~, ~, ~, center] = plorvent_isoutlier([1 2 3 40], 'movmedian', 100, 'SamplePoints', ...
%!                                       1.7e18 + (0:3) * 1000);
%! assert(center, [1 2 3 40]);
%! randn('seed', 11);
%! x = randn(1, 12);
%! x(6) = 30;
%! for magnitude = [1e9 1e15 1.7e18]
%!   q = 2 * eps(magnitude);                 % two steps of a double there
%!   t = round(magnitude / q) * q + q * (0:11);
%!   % K/2 = 2q + q/16: t + K/2 rounds to t + 2q, which the window still holds.
%!   assert(plorvent_movmedian(x, 4 * q + q / 8, 'SamplePoints', t), plorvent_movmedian(x, [2 2]));
%!   [tf, lower, upper, center] = plorvent_isoutlier(x, 'movmedian', 4 * q + q / 8, 'SamplePoints', t);
%!   [tf2, lower2, upper2, center2] = plorvent_isoutlier(x, 'movmedian', [2 2]);
%!   assert({tf, lower, upper, center}, {tf2, lower2, upper2, center2});
%!   % Back q + q/8 from the second time reaches past the first: that window is discarded.
%!   inner = plorvent_movmedian(x, 3);
%!   assert(plorvent_movmedian(x, 2 * q + q / 4, 'SamplePoints', t, 'Endpoints', 'discard'), ...
%!          inner(3:end - 2));
%! end
%! % Integer times (nanoseconds) are exact however large; as doubles they would step by 256.
%! t = int64(1.7e18) + int64(0:11) * 1000;
%! assert(plorvent_movmedian(x, 2001, 'SamplePoints', t), plorvent_movmedian(x, 3));
%! assert(plorvent_movmedian(x, 2001, 'SamplePoints', uint64(t)), plorvent_movmedian(x, 3));
