% plorvent_medfilt2 and plorvent_ordfilt2 against Octave's image package (medfilt2, ordfilt2)
% where it gives one answer, and against a brute-force sort of each window written here where it
% does not (NaN, which it ranks by unordered comparisons; signed zeros; windows larger than the
% image; 'indexed'; fractional offsets), for every class, padding, window size and shape; and bit
% for bit across threads and tile heights.

%!shared classes
%! pkg load image
%! classes = {'double', 'single', 'int8', 'uint8', 'int16', 'uint16', 'int32', 'uint32', ...
%!            'int64', 'uint64', 'logical'};

%!function B = reference(A, order, domain, padding, S)
%! % Each window of the padded plane sorted in the order -Inf < -0 < +0 < Inf < NaN, its
%! % ORDER-th element taken; PADDING 'symmetric' or a fill value; S (if not empty) added first,
%! % as A + S does (integers: samples within 2^53).
%! [m, n] = size(domain);
%! before = floor(([m n] - 1) / 2);
%! after = floor([m n] / 2);
%! P = padarray(padarray(A, before, padding, 'pre'), after, padding, 'post');
%! if isempty(S)
%!   B = zeros(size(A), class(A));
%!   S = zeros(size(domain), class(A));  % adds nothing: -0 + 0 would be +0
%! else
%!   B = zeros(size(A), class(A(1) + S(1)));
%! end
%! for j = 1:columns(A)
%!   for i = 1:rows(A)
%!     w = P(i:i + m - 1, j:j + n - 1);
%!     if isinteger(w)  % the exact sum rounded once (Octave's int64 + 0.5 rounds the 0.5 first)
%!       w(S ~= 0) = cast(double(w(S ~= 0)) + S(S ~= 0), class(w));
%!     else
%!       w(S ~= 0) = w(S ~= 0) + S(S ~= 0);
%!     end
%!     w = w(domain ~= 0);
%!     if isfloat(w)  % by the bits: negative patterns reversed, so -0 sorts before +0
%!       nans = isnan(w);
%!       bits = typecast(double(w(~nans)), 'int64');
%!       bits(bits < 0) = intmin('int64') - bits(bits < 0) - 1;
%!       [~, k] = sort(bits);
%!       w = [w(~nans)(k); w(nans)];
%!     else
%!       w = sort(w);
%!     end
%!     B(i, j) = w(order);
%!   end
%! end
%!endfunction

%!function same = same_bits(a, b)
%! same = strcmp(class(a), class(b)) && isequal(size(a), size(b)) && ...
%!        isequal(typecast(double(a(:)), 'uint64'), typecast(double(b(:)), 'uint64'));
%! if isa(a, 'int64') || isa(a, 'uint64')
%!   same = same && isequal(a, b);
%! end
%!endfunction

%!test  # every class, padding and window against ordfilt2 and medfilt2 (odd counts)
%! A = magic(9) - 40;
%! A(3, 4) = 300; A(7, 1) = -200;
%! domains = {true(3), true(5, 5), true(1, 7), true(6, 1), true(2, 4), logical([1 0 1; 0 1 0]), ...
%!            logical([0 1 0; 1 1 1; 0 1 0]), true(9, 9)};
%! for c = classes
%!   B = cast(A, c{1});
%!   for d = domains
%!     count = nnz(d{1});
%!     for order = unique([1, ceil(count / 2), count])
%!       for padding = {'zeros', 'symmetric'}
%!         assert(same_bits(plorvent_ordfilt2(B, order, d{1}, padding{1}), ...
%!                          ordfilt2(B, order, d{1}, padding{1})), ...
%!                sprintf('%s %s order %d %s', c{1}, mat2str(d{1}), order, padding{1}));
%!       end
%!     end
%!   end
%!   for sz = {[3 3], [5 5], [1 7], [7 1], [9 9]}
%!     assert(same_bits(plorvent_medfilt2(B, sz{1}, 'symmetric'), medfilt2(B, sz{1}, 'symmetric')));
%!   end
%!   assert(same_bits(plorvent_medfilt2(B), medfilt2(B)));
%! end

%!test  # 16-bit samples over the whole range, large windows (the 16-bit histograms)
%! A = floor(rand(45, 52) * 65536);
%! A(rand(size(A)) < 0.1) = 0;
%! A(rand(size(A)) < 0.1) = 65535;
%! A(:, 1:20) = 60000 * (rand(45, 20) < 0.5);  # two levels: the rank jumps across the range
%! for c = {'uint16', 'int16'}
%!   B = cast(A - strcmp(c{1}, 'int16') * 32768, c{1});
%!   for d = {true(15, 15), true(9, 17), true(20, 11)}
%!     count = nnz(d{1});
%!     for order = [1, ceil(count / 2), count]
%!       assert(same_bits(plorvent_ordfilt2(B, order, d{1}, 'symmetric'), ...
%!                        ordfilt2(B, order, d{1}, 'symmetric')), ...
%!              sprintf('%s %s order %d', c{1}, mat2str(size(d{1})), order));
%!     end
%!   end
%!   assert(same_bits(plorvent_medfilt2(B, [31 31]), medfilt2(B, [31 31])), c{1});
%! end

%!test  # +-Inf, -0 and NaN, every float class, against the sort; windows beyond the image
%! for c = {'double', 'single'}
%!   A = cast(round(6 * randn(13, 11)), c{1});
%!   A(rand(size(A)) < 0.2) = -0;
%!   A(rand(size(A)) < 0.1) = Inf;
%!   A(rand(size(A)) < 0.1) = -Inf;
%!   A(rand(size(A)) < 0.1) = NaN;
%!   for d = {true(3), true(2, 5), logical([1 0 0; 0 0 1]), true(15, 1), true(4, 14)}
%!     count = nnz(d{1});
%!     for order = unique([1, floor(count / 2) + 1, count])
%!       assert(same_bits(plorvent_ordfilt2(A, order, d{1}), reference(A, order, d{1}, 0, [])));
%!       assert(same_bits(plorvent_ordfilt2(A, order, d{1}, 'symmetric'), ...
%!                        reference(A, order, d{1}, 'symmetric', [])));
%!     end
%!   end
%!   assert(same_bits(plorvent_medfilt2(A, [3 3], 'indexed'), reference(A, 5, true(3), 1, [])));
%! end
%! assert(same_bits(plorvent_medfilt2(uint8(magic(3)), [5 5], 'indexed'), ...
%!                  reference(uint8(magic(3)), 13, true(5), 0, [])));

%!test  # even counts: the two middle values from ordfilt2, their mean computed here
%! A = magic(8) - 30;
%! A(2, 2) = -Inf;
%! for c = classes
%!   B = cast(A, c{1});
%!   for sz = {[2 2], [1 4], [3 2], [4 4]}
%!     count = prod(sz{1});
%!     a = ordfilt2(B, count / 2, true(sz{1}));
%!     b = ordfilt2(B, count / 2 + 1, true(sz{1}));
%!     if islogical(B)
%!       expected = a;
%!     elseif isfloat(B)
%!       expected = (a + b) / 2;  % exact: the samples are whole numbers or infinite
%!     else
%!       expected = cast(fix((double(a) + double(b)) / 2), c{1});
%!     end
%!     assert(same_bits(plorvent_medfilt2(B, sz{1}), expected), sprintf('%s %s', c{1}, mat2str(sz{1})));
%!   end
%! end

%!test  # offsets: against ordfilt2 where they are whole, against A + S sorted otherwise
%! A = magic(7) - 20;
%! S = [3 -2 0; 1 5 -4; 0 2 -1];
%! for c = classes(1:end - 1)
%!   B = cast(A, c{1});
%!   for order = [1 5 9]
%!     % Octave's ordfilt2 converts S to B's class first: negative offsets vanish for unsigned B.
%!     expected = reference(B, order, true(3), 'symmetric', S);
%!     if ~any(strncmp(c{1}, {'uint'}, 4))
%!       expected = ordfilt2(B, order, true(3), S, 'symmetric');
%!     end
%!     assert(same_bits(plorvent_ordfilt2(B, order, true(3), S, 'symmetric'), expected), c{1});
%!   end
%!   F = S + 0.5;
%!   assert(same_bits(plorvent_ordfilt2(B, 4, logical([1 1 0; 0 1 1; 1 0 1]), F), ...
%!                    reference(B, 4, logical([1 1 0; 0 1 1; 1 0 1]), 0, F)), c{1});
%! end
%! L = magic(4) > 8;
%! assert(same_bits(plorvent_ordfilt2(L, 2, true(2), [0.5 -1; 2 0]), ...
%!                  reference(double(L), 2, true(2), 0, [0.5 -1; 2 0])));
%! % 64-bit sums to the nearest, halves away from zero, saturated at the class's ends.
%! top = intmax('int64');
%! assert(plorvent_ordfilt2(int64([-3 3 2 -2]), 1, 1, -0.5), int64([-4 3 2 -3]));
%! assert(plorvent_ordfilt2(int64([-3 3 2 -2]), 1, 1, 0.5), int64([-3 4 3 -2]));
%! assert(plorvent_ordfilt2([top - 1, top, -top], 1, 1, 1.7), [top, top, 2 - top]);
%! assert(plorvent_ordfilt2([intmin('int64'), 5], 1, 1, -2^70), intmin('int64') * [1 1]);
%! assert(plorvent_ordfilt2(intmax('uint64') - uint64([3 0]), 1, 1, 2.5), intmax('uint64') * [1 1]);

%!test  # 64-bit integers beyond 2^53, exactly; 3-D arrays plane by plane
%! A = int64(2)^60 + int64(magic(6));
%! A(2, 3) = -A(2, 3);
%! assert(same_bits(plorvent_ordfilt2(A, 4, true(3)), ordfilt2(A, 4, true(3))));
%! U = intmax('uint64') - uint64(magic(5));
%! assert(same_bits(plorvent_medfilt2(U, [3 3], 'symmetric'), medfilt2(U, [3 3], 'symmetric')));
%! V = reshape(1:60, 3, 5, 4) .^ 2 - 400;
%! expected = V;
%! for k = 1:4
%!   expected(:, :, k) = ordfilt2(V(:, :, k), 2, logical([1 0 1]));
%! end
%! assert(same_bits(plorvent_ordfilt2(V, 2, [1 0 1]), expected));

%!test  # the same bits for any threads and tile height
%! A = randn(157, 61, 2);
%! A(rand(size(A)) < 0.05) = NaN;
%! A(rand(size(A)) < 0.05) = -0;
%! d = rand(4, 6) < 0.6;
%! k = max(1, floor(nnz(d) / 3));
%! one = plorvent_filter('image', A, d, k, 1, 0, 1, Inf);
%! for threads = [2 3]
%!   for band = [1 7 200]
%!     assert(same_bits(plorvent_filter('image', A, d, k, 1, 0, threads, Inf, 'blocksize', band), one));
%!   end
%! end
%! assert(same_bits(one(:, :, 2), reference(A(:, :, 2), k, d, 'symmetric', [])));
%! # Tiles of 512 rows: the ones inside the image are read in place.
%! B = randi([0 255], 1100, 600, 'uint8');
%! assert(same_bits(plorvent_medfilt2(B, [3 3], 'Threads', 2), medfilt2(B, [3 3])));
%! C = randn(1100, 600);
%! assert(same_bits(plorvent_medfilt2(C, [5 5], 'symmetric'), medfilt2(C, [5 5], 'symmetric')));

%!test  # work memory: refused past the budget, then served; the caller's array untouched
%! A = rand(300);
%! copy = A;
%! fail('plorvent_medfilt2(A, [9 9], ''MemoryBudget'', 1e4)', 'MemoryBudget');
%! assert(same_bits(plorvent_medfilt2(A, [9 9], 'MemoryBudget', 1e8, 'Threads', 2), ...
%!                  medfilt2(A, [9 9])));
%! assert(same_bits(A, copy));
%!error id=plorvent_medfilt2:windowTooLong plorvent_medfilt2(rand(300), [9 9], 'MemoryBudget', 1e4)
%!error id=plorvent_ordfilt2:tooManyOutputs [a, b] = plorvent_ordfilt2(1, 1, 1)
%!error id=plorvent_medfilt2:unknownOption plorvent_medfilt2(1, [1 1], "zeros", "Thrads", 2)
