% plorvent_core called from GNU Octave: results, shapes, the usage message, the refusals, and
% that no call changes its inputs (Octave shares array data between variables).

%!shared usage
%! usage = "Incorrect number of parameters.\nSyntax: m = plorvent_core(x, xic, xfc, W2)";

%!test
%! m = plorvent_core([3 1 2 5 4], 0, 0, 1);
%! assert(m, [1; 2; 2; 4; 4]);
%! assert(class(m), 'double');

%!test  # any shape is one signal in column-major order; windows cross the columns
%! x = [6 4 2; 5 3 1];
%! assert(plorvent_core(x, 0, 0, 1), [5; 5; 4; 3; 2; 1]);
%! assert(plorvent_core(reshape(1:8, 2, 2, 2), [], [], 0), (1:8)');
%! assert(plorvent_core([3; 1; 2; 5; 4], 0, 0, 1), [1; 2; 2; 4; 4]);

%!test  # longer extensions: the first W2 elements of each are read, xic(W2) next to x(1)
%! assert(plorvent_core(0, [7 -7], [7 -7], 1), 7);
%! assert(plorvent_core([0 0], [9 9 -9 -9], [-9 -9 9 9], 2), [0; 0]);
%! assert(plorvent_core([0 0], [9 9 -9 -9], [9 9 -9 -9], 2), [9; 9]);

%!test  # empty x: a 0-by-1 double, extensions not read (so not checked for length)
%! m = plorvent_core(zeros(0, 3), [], [], 7);
%! assert(size(m), [0 1]);
%! assert(class(m), 'double');

%!test  # half-width truncated toward zero
%! x = [9 1 8 2 7 3];
%! assert(plorvent_core(x, [], [], 0), x');
%! assert(plorvent_core(x, [], [], -0.5), x');
%! assert(plorvent_core(x, [], [], 0.99), x');
%! assert(plorvent_core(x, [0 0], [0 0], 2.9), [1; 2; 7; 3; 3; 2]);

%!test  # complex arguments: the real part is used
%! assert(plorvent_core(complex([3 1 2 5 4], 1), 0, 0, complex(1, 2)), [1; 2; 2; 4; 4]);

%!test  # NaN and signed zeros follow the selection's exchange order
%! m = plorvent_core([1 2], NaN, NaN, 1);
%! assert(isnan(m(1)) && m(2) == 2);
%! assert(1 ./ plorvent_core(0, -0, 0, 1), -Inf);

%!test  # inputs are left as they were, also when another variable shares their data
%! x = [5 3 NaN -0 4 1]; keep = x; xic = [1 2]; xfc = [3 4]; w = 2;
%! m = plorvent_core(x, xic, xfc, w);
%! assert(isequaln(x, keep) && isequal(xic, [1 2]) && isequal(xfc, [3 4]) && w == 2);
%! assert(1 ./ x(4), -Inf);

%!test  # wrong counts: the usage message, after Octave's own prefix
%! calls = {@() plorvent_core(1, 0, 0), @() plorvent_core(1, 0, 0, 1, 5)};
%! for k = 1:numel(calls)
%!   try
%!     m = calls{k}();
%!     error('no error raised');
%!   catch err
%!     assert(err.message, ['plorvent_core: ' usage]);
%!   end
%! end
%!error <Incorrect number of parameters> plorvent_core(1, 0, 0, 1);
%!error <Incorrect number of parameters> [a, b] = plorvent_core(1, 0, 0, 1);

%!error id=plorvent_core:notDouble m = plorvent_core(single([1 2]), 0, 0, 1)
%!error id=plorvent_core:notDouble m = plorvent_core([1 2], int8(0), 0, 1)
%!error id=plorvent_core:notDouble m = plorvent_core([1 2], 0, {0}, 1)
%!error id=plorvent_core:notDouble m = plorvent_core([1 2], 0, 0, true)
%!error id=plorvent_core:notDouble m = plorvent_core('ab', 0, 0, 1)
%!error id=plorvent_core:sparse m = plorvent_core(sparse([1 2]), 0, 0, 1)
%!error id=plorvent_core:sparse m = plorvent_core([1 2], 0, 0, sparse(1))
%!error id=plorvent_core:emptyHalfWidth m = plorvent_core([1 2], 0, 0, [])
%!error id=plorvent_core:nonFiniteHalfWidth m = plorvent_core([1 2], 0, 0, NaN)
%!error id=plorvent_core:nonFiniteHalfWidth m = plorvent_core([1 2], 0, 0, -Inf)
%!error id=plorvent_core:negativeHalfWidth m = plorvent_core([1 2], 0, 0, -1)
%!error id=plorvent_core:halfWidthTooLarge m = plorvent_core([1 2], 0, 0, 2^30)
%!error <xic must hold at least W2 = 2> m = plorvent_core([1 2 3], 0, [0 0], 2)
%!error id=plorvent_core:shortExtension m = plorvent_core([1 2 3], [0 0], [], 2)
