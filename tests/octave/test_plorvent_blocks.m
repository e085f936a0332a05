% plorvent with 'BlockSize': the same bits as the whole-signal filter (NaN payloads and signed
% zeros included, in both NaN modes), for blocks shorter than, as long as and longer than the
% window.

%!function x = signal_with_edges(n, edges)
%! % Ties, NaNs of several payloads and signs, and zeros of both signs, also at the EDGES.
%! rand('seed', n);
%! x = round(4 * rand(n, 1)) - 2;
%! nans = typecast([uint64(0x7FF8000000000000), uint64(0x7FF8000000000123), ...
%!                  uint64(0xFFF8000000000007)], 'double');
%! x(x == 0 & rand(n, 1) < 0.5) = -0;
%! x(rand(n, 1) < 0.05) = NaN;
%! edges = edges(edges >= 1 & edges <= n);
%! x(edges) = [nans, -0, 0](mod(0:numel(edges) - 1, 5) + 1);
%!endfunction

%!function assert_same_bits(a, b, description)
%! assert(size(a), size(b));
%! assert(isequal(typecast(a(:), 'uint64'), typecast(b(:), 'uint64')), description);
%!endfunction

%!test  # one signal: every block size around the window and the signal's length
%! n = 40;
%! for w = [1 7 15]
%!   for block = [1 2 w - 1 w w + 1 13 n - 1 n n + 1]
%!     if block < 1
%!       continue;
%!     end
%!     x = signal_with_edges(n, sort([1:block:n, block:block:n, (1:block:n) - 1]));
%!     for padding = {'zeros', 'replicate', 'symmetric', 'periodic', NaN, -0}
%!       for mode = {'includenan', 'raw'}
%!         whole = plorvent(x, w, padding{1}, 'NaN', mode{1});
%!         blocks = plorvent(x, w, padding{1}, 'NaN', mode{1}, 'BlockSize', block);
%!         assert_same_bits(blocks, whole, sprintf('w=%d block=%d %s %s', w, block, ...
%!                          num2str(padding{1}), mode{1}));
%!       end
%!     end
%!   end
%! end

%!test  # half-width beyond the signal: the padding pattern goes on within each block
%! x = signal_with_edges(5, [1 5]);
%! for padding = {'zeros', 'replicate', 'symmetric', 'periodic'}
%!   for block = [1 2 4]
%!     assert_same_bits(plorvent(x, 23, padding{1}, 'BlockSize', block, 'NaN', 'raw'), ...
%!                      plorvent(x, 23, padding{1}, 'NaN', 'raw'), padding{1});
%!   end
%! end

%!test  # arrays: each column in blocks, along either dimension; short columns grouped
%! x = reshape(signal_with_edges(3 * 29 * 2, 1:10:174), 29, 3, 2);
%! for dim = 1:3
%!   for block = [2 5 30]
%!     for padding = {'symmetric', 'periodic', 7}
%!       assert_same_bits(plorvent(x, 5, padding{1}, dim, 'BlockSize', block), ...
%!                        plorvent(x, 5, padding{1}, dim), sprintf('dim %d', dim));
%!       assert_same_bits(plorvent(x, 9, padding{1}, dim, 'NaN', 'raw', 'BlockSize', block), ...
%!                        plorvent(x, 9, padding{1}, dim, 'NaN', 'raw'), sprintf('dim %d', dim));
%!     end
%!   end
%! end
%! assert(plorvent(single([3 1 2 5 4]), 3, 'BlockSize', int8(2)), single([1 2 2 4 4]));
%! assert(size(plorvent(zeros(0, 3), 3, 'BlockSize', 1)), [0 3]);

%!test  # two columns in blocks of every size: each column as when filtered whole
%! x = signal_with_edges(1000, []);
%! for block = [1 10 64 333]
%!   for padding = {'zeros', 'periodic'}
%!     assert_same_bits(plorvent([x, -x], 21, padding{1}, 'BlockSize', block), ...
%!                      [plorvent(x, 21, padding{1}), plorvent(-x, 21, padding{1})], padding{1});
%!   end
%! end

%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'BlockSize', 0)
%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'BlockSize', 2.5)
%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'BlockSize', -4)
%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'BlockSize', Inf)
%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'BlockSize', [2 2])
%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'BlockSize', 2^31)
%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'BlockSize', '2')
%!error id=plorvent:missingOptionValue plorvent([1 2 3], 3, 'zeros', 'BlockSize')

%!test  # a signal longer than the default block: filtered in blocks of 2^20, the same bits as whole
%! n = 2^20 + 300;
%! x = signal_with_edges(n, 2^20 + (-3:3));
%! for mode = {'includenan', 'raw'}
%!   whole = plorvent(x, 9, 'symmetric', 'NaN', mode{1}, 'BlockSize', n);
%!   assert_same_bits(plorvent(x, 9, 'symmetric', 'NaN', mode{1}), whole, mode{1});
%! end

%!test  # plorvent_file's blocks counting their samples ('omitnan', 'shrink'): plorvent's bits
%! x = signal_with_edges(300, [1 2 299 300]);
%! input = [tempname() '.bin'];
%! output = [input '.out'];
%! fid = fopen(input, 'w', 'ieee-le');
%! fwrite(fid, x, 'double');
%! fclose(fid);
%! unwind_protect
%!   for args = {{7, 'omitnan'}, {7, 'shrink'}, {9, -0, 'omitnan'}, {701, 'shrink', 'omitnan'}}
%!     for block = [13 1e6]
%!       plorvent_file(input, output, args{1}{:}, 'BlockSize', block);
%!       fid = fopen(output, 'r', 'ieee-le');
%!       y = fread(fid, Inf, 'double');
%!       fclose(fid);
%!       assert_same_bits(y, plorvent(x, args{1}{:}), sprintf('block %d', block));
%!     end
%!   end
%! unwind_protect_cleanup
%!   delete(input);
%!   delete(output);
%! end_unwind_protect

%!test  # zeros of both signs: one rule, the same bits for any threads and blocks, NaN omitted or not
%! x = -zeros(100000, 1);
%! x(1:3:end) = 0;
%! x(1000:1000:end) = NaN;
%! x(50000:50500) = -0;  % a stretch of windows whose zeros are all -0
%! for w = [3 501]
%!   omitted = plorvent(x, w, 'omitnan', 'Threads', 1);
%!   included = plorvent(x, w, 'Threads', 1);
%!   for threads = [2 5 8]
%!     for block = [999 65537]
%!       assert_same_bits(plorvent(x, w, 'omitnan', 'Threads', threads, 'BlockSize', block), ...
%!                        omitted, sprintf('omitnan w=%d threads=%d', w, threads));
%!       assert_same_bits(plorvent(x, w, 'Threads', threads, 'BlockSize', block), included, ...
%!                        sprintf('w=%d threads=%d', w, threads));
%!     end
%!   end
%!   free = ~isnan(included);  % the windows free of NaN: the same bits either way
%!   assert_same_bits(omitted(free), included(free), sprintf('w=%d', w));
%!   assert(any(signbit(included(free))) && any(~signbit(included(free))));
%! end
%! assert(1 ./ [plorvent(-0, 3), plorvent(-0, 3, 'omitnan'), plorvent(-0, 3, -0)], [Inf Inf -Inf]);
%! m = plorvent_filter('moving', x, 250, 250, 1, 1, 0, 0, [], 0, 1);
%! for threads = 5:8
%!   assert_same_bits(plorvent_filter('moving', x, 250, 250, 1, 1, 0, 0, [], 0, threads), m, ...
%!                    sprintf('moving, %d threads', threads));
%! end
