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
