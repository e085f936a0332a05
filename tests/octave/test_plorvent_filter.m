% plorvent, now computed by the plorvent_filter module, bit for bit against a slow reference
% built from plorvent_core: pad each signal by concatenation, run the core on it, and set the
% windows holding NaN to NaN, and the sign of each other zero median, by looking at each one. Every class, padding, NaN mode, dimension,
% block size and thread count; windows longer than the signal; the budget's refusal.

%!function y = reference(x, w, padding, dim, mode)
%! if strcmp(padding, 'zeros')
%!   padding = 0;
%! end
%! order = [dim, setdiff(1:max(ndims(x), dim), dim)];
%! xp = permute(x, order);
%! yp = xp;
%! h = (w - 1) / 2;
%! for c = 1:numel(xp) / max(size(xp, 1), 1)
%!   if isa(x, 'double')
%!     p = padded_signal(xp(:, c), h, padding);
%!     m = plorvent_core(xp(:, c), p(1:h), p(end - h + 1:end), h);
%!     if strcmp(mode, 'includenan')
%!       nans = cumsum([0; isnan(p)]);
%!       m(nans(w + 1:end) > nans(1:end - w)) = NaN;
%!     end
%!   else  % exact in the class itself: sort every window
%!     if isnumeric(padding)
%!       padding = cast(padding, class(x));
%!     end
%!     p = padded_signal(xp(:, c), h, padding);
%!     m = xp(:, c);
%!     for i = 1:numel(m)
%!       sorted = sort(p(i:i + w - 1));
%!       m(i) = sorted(h + 1);
%!     end
%!   end
%!   if strcmp(mode, 'includenan') && isfloat(x)
%!     % A zero median of a window free of NaN is -0 when the window's zeros are all -0.
%!     for i = find(m == 0)'
%!       win = p(i:i + w - 1);
%!       if ~any(isnan(win))
%!         m(i) = 0;
%!         if all(signbit(win(win == 0)))
%!           m(i) = -0;
%!         end
%!       end
%!     end
%!   end
%!   yp(:, c) = m;
%! end
%! y = ipermute(yp, order);
%!endfunction

%!function x = hostile(sz, seed)
%! rand('seed', seed);
%! x = round(4 * rand(sz)) - 2;
%! x(rand(sz) < 0.1) = NaN;
%! x(rand(sz) < 0.15) = -0;
%! x(rand(sz) < 0.02) = Inf;
%!endfunction

%!test  # doubles: every padding, mode, dimension and block size, short and long windows
%! paddings = {'zeros', 'replicate', 'symmetric', 'periodic', -0, NaN};
%! for trial = 1:60
%!   sz = [1 + mod(trial, 7), 1 + mod(3 * trial, 5), 1 + mod(trial, 2)];
%!   x = hostile(sz, trial);
%!   w = 2 * mod(7 * trial, 12) + 1;
%!   dim = 1 + mod(trial, 3);
%!   padding = paddings{1 + mod(trial, numel(paddings))};
%!   for mode = {'includenan', 'raw'}
%!     for block = [1 2 w 1e6]
%!       y = plorvent(x, w, padding, dim, 'NaN', mode{1}, 'BlockSize', block);
%!       assert(same_bits(y, reference(x, w, padding, dim, mode{1})), ...
%!              sprintf('trial %d w=%d dim=%d block=%d %s', trial, w, dim, block, mode{1}));
%!     end
%!   end
%! end

%!test  # the class is kept, and each class is exact in itself
%! x = [5 -3 0 7 2 -8 1];
%! for cls = {'single', 'int8', 'uint8', 'int16', 'uint16', 'int32', 'uint32', 'int64', 'uint64'}
%!   xc = cast(x, cls{1});
%!   for padding = {'zeros', 'replicate', 'symmetric', 'periodic', 4}
%!     for w = [1 3 5 13]
%!       y = plorvent(xc, w, padding{1});
%!       assert(same_bits(y, reference(xc, w, padding{1}, 2, 'includenan')), cls{1});
%!     end
%!   end
%! end
%! big = int64(2)^60 + int64([5 -3 0 7 2 -8 1]);     % beyond what a double holds exactly
%! assert(same_bits(plorvent(big, 3, 'replicate'), reference(big, 3, 'replicate', 2, '')));
%! assert(plorvent(intmax('uint64') - uint64([0 2 1]), 3, 'replicate'), ...
%!        intmax('uint64') - uint64([0 1 1]));
%! assert(same_bits(plorvent(logical([1 0 1 1 0]), 3), logical([0 1 1 1 0])));
%! s = plorvent(single([1 NaN 3 4 5]), 3, 'replicate');
%! assert(same_bits(s, single([NaN NaN NaN 4 5])));
%! assert(same_bits(plorvent(int8([1 2 3]), 3, 300), int8([2 2 3])));   % 300 saturates to 127
%!error id=plorvent:invalidPadding plorvent(logical([1 0]), 3, 0.5)

%!test  # threads and pieces: the same bits for any thread count and block size
%! x = hostile([300001 1], 40);
%! for w = [3 41 201]
%!   expected = plorvent(x, w, 'symmetric', 'Threads', 1);
%!   assert(same_bits(expected, reference(x, w, 'symmetric', 1, 'includenan')));
%!   for threads = 2:4
%!     for block = [1000 1e6]
%!       y = plorvent(x, w, 'symmetric', 'Threads', threads, 'BlockSize', block);
%!       assert(same_bits(y, expected), sprintf('w=%d threads=%d block=%d', w, threads, block));
%!     end
%!   end
%! end
%! m = single(hostile([200 400], 41));
%! assert(same_bits(plorvent(m, 9, 'periodic', 2, 'Threads', 3), ...
%!                  plorvent(m, 9, 'periodic', 2, 'Threads', 1)));

%!test  # windows far longer than the signal: counted, never held
%! x = [0.5; -2; 7; 3];
%! assert(plorvent(x, 2^31 - 1), zeros(4, 1));
%! assert(plorvent(x, 2^31 - 1, 'replicate'), [0.5; 0.5; 3; 3]);
%! % c = (2^31 - 4) / 4 copies of each sample, and one more of the three the window starts with
%! assert(plorvent(x, 2^31 - 1, 'periodic'), [3; 3; 0.5; 0.5]);
%! assert(plorvent(x, 2^31 - 1, 9), 9 * ones(4, 1));
%! assert(plorvent([x; NaN], 2^31 - 1), NaN(5, 1));
%! for w = [262145 262147]     % longer than what is ever held, checked against the reference
%!   for padding = {'zeros', 'replicate', 'symmetric', 'periodic'}
%!     y = plorvent([x; -x], w, padding{1});
%!     assert(same_bits(y, reference([x; -x], w, padding{1}, 1, 'includenan')), padding{1});
%!   end
%! end
%! % zeros of both signs, or NaN in 'raw' mode, need a whole window: within the budget it is held
%! y = plorvent([-0; 1; -0], 262145, 'NaN', 'raw');
%! assert(same_bits(y, reference([-0; 1; -0], 262145, 0, 1, 'raw')));
%!error id=plorvent:windowTooLong plorvent([-0; 1; 2], 2^31 - 1, 'NaN', 'raw')
%!error id=plorvent:windowTooLong plorvent([NaN; 1; 2], 2^31 - 1, 'NaN', 'raw')
%!error id=plorvent:windowTooLong plorvent([-0; 1; 2], 262145, 'MemoryBudget', 1e6, 'NaN', 'raw')
%!assert (1 ./ plorvent([-0; 1; 2], 2^31 - 1), [Inf; Inf; Inf])
%!assert (1 ./ plorvent([-0; 1; 2], 2^31 - 1, -0), -[Inf; Inf; Inf])

%!test  # the module refuses bad arguments before it allocates, and changes no input
%! x = [3 1 2]; keep = x;
%! assert(plorvent_filter(x, 3, 0, 0, 2, 0, 10, 1, Inf), [1 2 1]);
%! bad = {{x, 4}, {x, 3, 4}, {x, 3, 0, [1 2]}, {x, 3, 0, 0, 0}, {x, 3, 0, 0, 1, 2}, ...
%!        {x, 3, 0, 0, 1, 0, 0}, {x, 3, 0, 0, 1, 0, 1, 0}, {x, 3, 0, 0, 1, 0, 1, 1, -1}, ...
%!        {x, single(3)}, {x, 3, 0, 0, 1, 0, 1, 257}};
%! for k = 1:numel(bad)
%!   args = [bad{k}, num2cell([3 0 0 1 0 10 1 Inf](numel(bad{k}):end))];
%!   assert(numel(args), 9);
%!   try
%!     plorvent_filter(args{:});
%!     error('accepted bad case %d', k);
%!   catch err
%!     assert(err.identifier, 'plorvent_filter:invalidArgument', sprintf('case %d', k));
%!   end
%! end
%! assert(isequal(x, keep));
%!error id=plorvent_filter:usage plorvent_filter([1 2 3], 3)
%!error id=plorvent_filter:usage [a, b] = plorvent_filter('moving', [1 2 3], 1, 1, 1, 0, 0, 0, [], 0, 1, 'statistic', 'mad', 'statistic', 'median')
%!error id=plorvent_filter:invalidArgument plorvent_filter('moving', [1 2 3], 1, 1, 1, 0, 0, 0, [], 0, 1, 'statistic', 'mad', 'p', 0.5)
%!error id=plorvent_filter:invalidInput plorvent_filter({1}, 3, 0, 0, 1, 0, 1, 1, 1)
%!error id=plorvent_filter:invalidInput plorvent_filter([1i 2], 3, 0, 0, 1, 0, 1, 1, 1)
%!error id=plorvent_filter:invalidInput plorvent_filter(sparse([1 2]), 3, 0, 0, 1, 0, 1, 1, 1)
%!error id=plorvent_filter:invalidInput plorvent_filter('ab', 3, 0, 0, 1, 0, 1, 1, 1)

%!test  # 'length' plans a call without samples: its bytes are the least budget the call runs in
%! x = randn(5000, 1);
%! % Each call as a function of its signal and budget.
%! calls = {@(v, b) plorvent_filter(v, 20001, 0, 0, 1, 0, 2^20, 1, b), ...
%!          @(v, b) plorvent_filter(v, 101, 1, 0, 1, 0, 1000, 2, b), ...
%!          @(v, b) plorvent_filter('moving', v, 30000, 0, 1, 1, 0, 0, [], 0, 1, 'budget', b), ...
%!          @(v, b) plorvent_filter('moving', v, 50, 49, 1, 0, 1, 2, [], 1, 2, 'budget', b)};
%! plans = {@(n) plorvent_filter(x(1:0), 20001, 0, 0, 1, 0, 2^20, 1, Inf, 'length', n), ...
%!          @(n) plorvent_filter(x(1:0), 101, 1, 0, 1, 0, 1000, 2, Inf, 'length', n), ...
%!          @(n) plorvent_filter('moving', x(1:0), 30000, 0, 1, 1, 0, 0, [], 0, 1, 'length', n), ...
%!          @(n) plorvent_filter('moving', x(1:0), 50, 49, 1, 0, 1, 2, [], 1, 2, 'length', n)};
%! for c = 1:numel(calls)
%!   bytes = plans{c}(numel(x));
%!   assert(bytes > 0);
%!   assert(calls{c}(x, bytes), calls{c}(x, Inf));
%!   try
%!     calls{c}(x, bytes - 1);
%!     error('call %d ran within %d bytes', c, bytes - 1);
%!   catch err
%!     assert(err.identifier, 'plorvent_filter:windowTooLong');
%!   end
%! end
