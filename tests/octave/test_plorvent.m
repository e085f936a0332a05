% plorvent against a direct computation: the padded signal built by concatenating copies and
% mirror images of the signal, and every window sorted. Also shapes and dimensions, NaN
% handling in both modes, the refusals, and the help-only plorvent_core.m beside the module.

%!function y = median_directly(x, w, padding)
%! half_width = (w - 1) / 2;
%! p = padded_signal(x(:), half_width, padding);
%! y = zeros(numel(x), 1);
%! for i = 1:numel(x)
%!   window = p(i:i + w - 1);
%!   if any(isnan(window))
%!     y(i) = NaN;
%!   else
%!     sorted = sort(window);
%!     y(i) = sorted(half_width + 1);
%!   end
%! end
%!endfunction

%!function y = along_dim_directly(x, w, padding, dim)
%! order = [dim, setdiff(1:max(ndims(x), dim), dim)];
%! xp = permute(x, order);
%! yp = zeros(size(xp));
%! for c = 1:numel(xp) / size(xp, 1)
%!   yp(:, c) = median_directly(xp(:, c), w, padding);
%! end
%! y = ipermute(yp, order);
%!endfunction

%!test  # each padding on a short signal, worked out by hand
%! x = [1 9 2 8 3];
%! assert(plorvent(x, 5), [1 2 3 3 2]);                 % 0 0 | x | 0 0
%! assert(plorvent(x, 5, 'replicate'), [1 2 3 3 3]);    % 1 1 | x | 3 3
%! assert(plorvent(x, 5, 'symmetric'), [2 2 3 3 3]);    % 9 1 | x | 3 8
%! assert(plorvent(x, 3, 'periodic'), [3 2 8 3 3]);     % 3 | x | 1
%! assert(plorvent(x, 3, 9), [9 2 8 3 8]);              % 9 | x | 9
%! % half-width 4 beyond a signal of 2: the patterns go on
%! assert(plorvent([2; 1], 9, 'symmetric'), [2; 1]);    % 2 1 1 2 | 2 1 | 1 2 2 1
%! assert(plorvent([2; 1], 9, 'replicate'), [2; 1]);    % 2 2 2 2 | 2 1 | 1 1 1 1
%! assert(plorvent([1; 5], 9, 'periodic'), [1; 5]);     % 1 5 1 5 | 1 5 | 1 5 1 5
%! assert(plorvent([1; 5], 9), [0; 0]);

%!test  # every padding and half-width, also longer than the signal, with ties and negatives
%! rand('seed', 11);
%! paddings = {'zeros', 'replicate', 'symmetric', 'periodic', -1.5};
%! for n = 1:6
%!   for w = 1:2:2 * 9 + 1
%!     x = round(6 * rand(n, 1)) - 2;
%!     for k = 1:numel(paddings)
%!       expected = median_directly(x, w, paddings{k});
%!       assert(isequal(plorvent(x, w, paddings{k}), expected), ...
%!              sprintf('n=%d w=%d padding %d', n, w, k));
%!     end
%!   end
%! end

%!test  # matrices and N-d arrays: each signal along DIM on its own, the size kept
%! rand('seed', 12);
%! x = round(9 * rand(4, 3, 2));
%! for dim = 1:3
%!   for padding = {'zeros', 'replicate', 'symmetric', 'periodic'}
%!     y = plorvent(x, 3, padding{1}, dim);
%!     assert(size(y), size(x));
%!     assert(y, along_dim_directly(x, 3, padding{1}, dim));
%!   end
%! end
%! assert(plorvent(x, 5, 'symmetric'), plorvent(x, 5, 'symmetric', 1));

%!test  # many short columns, filtered in groups: each column as when filtered alone
%! rand('seed', 15);
%! x = round(9 * rand(3, 40000));
%! x(rand(size(x)) < 0.01) = NaN;
%! for padding = {'zeros', 'symmetric', 'periodic', 7}
%!   y = plorvent(x, 3, padding{1});
%!   raw = plorvent(x, 5, padding{1}, 1, 'NaN', 'raw');
%!   for c = [1:3, 13105:13110, 26212:26216, 39998:40000]
%!     assert(isequaln(y(:, c), plorvent(x(:, c), 3, padding{1})), sprintf('column %d', c));
%!     assert(isequaln(raw(:, c), plorvent(x(:, c), 5, padding{1}, 1, 'NaN', 'raw')));
%!   end
%! end

%!test  # default DIM is the first non-singleton one; vectors are one signal
%! row = [4 9 1 7 3 8];
%! assert(plorvent(row, 3), plorvent(row', 3)');
%! assert(plorvent(reshape(row, 1, 1, 6), 3, 'periodic'), ...
%!        reshape(plorvent(row', 3, 'periodic'), 1, 1, 6));
%! assert(plorvent(row, 3, 'zeros', 1), zeros(1, 6));   % six signals of length 1
%! assert(plorvent(7, 3, 'replicate'), 7);
%! assert(plorvent(magic(3), 5, 'replicate', 4), magic(3));
%! assert(plorvent(magic(3), 5, [], 2), plorvent(magic(3)', 5)');
%! assert(plorvent(row, 3, []), plorvent(row, 3, 'zeros'));

%!test  # empty input: an empty array of the same size and class; arguments still checked
%! assert(plorvent(zeros(0, 3), 5), zeros(0, 3));
%! assert(plorvent(zeros(3, 0, 2), 5, 'symmetric', 2), zeros(3, 0, 2));
%! assert(plorvent(int8([]), 3), int8([]));
%!error id=plorvent:invalidWindow plorvent([], 4)
%!error id=plorvent:invalidPadding plorvent([], 3, 'mirror')

%!test  # other classes keep their class; sparse gives full
%! x = [3 1 2 5 4];
%! assert(plorvent(int16(x), 3), int16(plorvent(x, 3)));
%! assert(plorvent(single(x), 3, 'replicate'), single(plorvent(x, 3, 'replicate')));
%! assert(plorvent(logical([1 0 1 1 0]), 3), logical([0 1 1 1 0]));
%! assert(plorvent(sparse(x), 3), plorvent(x, 3));
%! assert(issparse(plorvent(sparse(x), 3)), false);
%! assert(plorvent(x, int8(3), int8(9)), plorvent(x, 3, 9));

%!test  # 'includenan': NaN exactly where the window holds one, the median elsewhere
%! rand('seed', 13);
%! for trial = 1:40
%!   x = round(5 * rand(7, 1));
%!   x(rand(7, 1) < 0.2) = NaN;
%!   w = 2 * floor(5 * rand()) + 1;
%!   for padding = {'replicate', 'symmetric', 'periodic', 0, NaN}
%!     y = plorvent(x, w, padding{1});
%!     assert(y, median_directly(x, w, padding{1}));
%!   end
%! end
%! assert(plorvent([1 2 3 4 5], 3, NaN), [NaN 2 3 4 NaN]);

%!test  # 'raw': the core's own result, with the extensions plorvent builds
%! rand('seed', 14);
%! x = round(5 * rand(9, 3));
%! x([2 12 13 27]) = NaN;
%! for padding = {'zeros', 'replicate', 'symmetric', 'periodic', NaN}
%!   for w = [1 3 7 25]
%!     half_width = (w - 1) / 2;
%!     y = plorvent(x, w, padding{1}, 1, 'NaN', 'raw');
%!     for c = 1:3
%!       p = padded_signal(x(:, c), half_width, padding{1});
%!       core = plorvent_core(x(:, c), p(1:half_width), p(end - half_width + 1:end), half_width);
%!       assert(y(:, c), core);
%!     end
%!   end
%! end
%! raw = plorvent(x, 3, 'zeros', 1, 'NaN', 'raw');
%! assert(any(isnan(plorvent(x, 3)(:)) & ~isnan(raw(:))));   % the modes do differ here

%!test  # options follow any number of positional arguments; names and values ignore case
%! x = [1 NaN 3 4 5];
%! raw = plorvent_core(x, 0, 0, 1)';
%! assert(plorvent(x, 3, 'NaN', 'raw'), raw);
%! assert(plorvent(x, 3, 'zeros', 'nan', 'RAW'), raw);
%! assert(plorvent(x, 3, 'zeros', 2, 'NaN', 'raw'), raw);
%! assert(plorvent(x, 3, 'zeros', 2, 'NaN', 'raw', 'NaN', 'includenan'), [NaN NaN NaN 4 4]);
%! assert(plorvent(x, 3, 'Replicate'), plorvent(x, 3, 'replicate'));

%!test  # inputs are left as they were, also when another variable shares their data
%! x = [5 3 NaN -0 4 1]; keep = x; w = 3; padding = 'symmetric';
%! y = plorvent(x, w, padding, 2, 'NaN', 'raw');
%! y = plorvent(x, w, -0);
%! assert(isequaln(x, keep) && w == 3 && strcmp(padding, 'symmetric'));
%! assert(1 ./ x(4), -Inf);

%!error id=plorvent:notEnoughInputs plorvent([1 2 3])
%!error id=plorvent:invalidWindow plorvent([1 2 3], 4)
%!error id=plorvent:invalidWindow plorvent([1 2 3], 0)
%!error id=plorvent:invalidWindow plorvent([1 2 3], -3)
%!error id=plorvent:invalidWindow plorvent([1 2 3], 2.5)
%!error id=plorvent:invalidWindow plorvent([1 2 3], 3.0000001)
%!error id=plorvent:invalidWindow plorvent([1 2 3], [3 5])
%!error id=plorvent:invalidWindow plorvent([1 2 3], [])
%!error id=plorvent:invalidWindow plorvent([1 2 3], Inf)
%!error id=plorvent:invalidWindow plorvent([1 2 3], NaN)
%!error id=plorvent:invalidWindow plorvent([1 2 3], '3')
%!error id=plorvent:invalidWindow plorvent([1 2 3], complex(3, 1))
%!error id=plorvent:invalidWindow plorvent([1 2 3], 2^31 + 1)
%!error id=plorvent:invalidInput plorvent([1 2i 3], 3)
%!error id=plorvent:invalidInput plorvent('abc', 3)
%!error id=plorvent:invalidInput plorvent({1, 2}, 3)
%!error id=plorvent:invalidPadding plorvent([1 2 3], 3, 'mirror')
%!error id=plorvent:invalidPadding plorvent([1 2 3], 3, [1 2])
%!error id=plorvent:invalidPadding plorvent([1 2 3], 3, 1i)
%!error id=plorvent:invalidPadding plorvent([1 2 3], 3, {'zeros'})
%!error id=plorvent:invalidDim plorvent([1 2 3], 3, 'zeros', 0)
%!error id=plorvent:invalidDim plorvent([1 2 3], 3, 'zeros', -1)
%!error id=plorvent:invalidDim plorvent([1 2 3], 3, 'zeros', 1.5)
%!error id=plorvent:invalidDim plorvent([1 2 3], 3, 'zeros', [1 2])
%!error id=plorvent:invalidDim plorvent([1 2 3], 3, 'zeros', Inf)
%!error id=plorvent:invalidDim plorvent([1 2 3], 3, 'zeros', 'rows')
%!error id=plorvent:unknownOption plorvent([1 2 3], 3, 'zeros', 1, 'Window', 3)
%!error id=plorvent:unknownOption plorvent([1 2 3], 3, 'zeros', 1, 2)
%!error id=plorvent:missingOptionValue plorvent([1 2 3], 3, 'NaN')
%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'NaN', 'omitnan')
%!error id=plorvent:invalidOptionValue plorvent([1 2 3], 3, 'NaN', 1)

%!test  # the help-only plorvent_core.m beside the module documents it without shadowing it
%! [~, ~, ext] = fileparts(which('plorvent_core'));
%! assert(ext, '.mex');
%! text = get_help_text('plorvent_core');
%! assert(~isempty(strfind(text, 'XIC(W2) stands right before X(1)')));
%! assert(~isempty(strfind(text, 'plorvent_core:shortExtension')));
%! assert(~isempty(strfind(get_help_text('plorvent'), 'Y = PLORVENT(X, W, PADDING, DIM)')));
%! [~, ~, ext] = fileparts(which('plorvent_filter'));
%! assert(ext, '.oct');
%! assert(~isempty(strfind(get_help_text('plorvent_filter'), 'plorvent_filter:windowTooLong')));

%!test  # the source folder behind the module's changes nothing; ahead of it, a clear error
%! sources = canonicalize_file_name(fullfile(fileparts(which('test_plorvent')), '../../toolbox'));
%! addpath(sources, '-end');
%! unwind_protect
%!   assert(plorvent_core([3 1 2], 0, 0, 1), [1; 2; 1]);
%!   addpath(sources);
%!   try
%!     m = plorvent_core([3 1 2], 0, 0, 1);
%!     error('the help-only file ran without an error');
%!   catch err
%!     assert(err.identifier, 'plorvent_core:moduleNotFound');
%!   end
%!   try                                % the toolbox's functions pass it on under their names
%!     plorvent_movmedian([3 1 2], 3);
%!     error('the help-only file ran without an error');
%!   catch err
%!     assert(err.identifier, 'plorvent_movmedian:moduleNotFound');
%!   end
%! unwind_protect_cleanup
%!   rmpath(sources);
%! end_unwind_protect

%!test  # the shipped .m files use only syntax that MATLAB also accepts
%! sources = fullfile(fileparts(which('test_plorvent')), '..', '..', 'toolbox');
%! files = [dir(fullfile(sources, '*.m')); dir(fullfile(sources, 'private', '*.m'))];
%! assert(numel(files) >= 4);
%! octave_only = ['"|#|!|\+\+|--|[-+*/]=|\<(endif|endfor|endwhile|endfunction|endswitch|' ...
%!                'end_try_catch|unwind_protect|printf|puts|fputs)\>'];
%! for k = 1:numel(files)
%!   lines = strsplit(fileread(fullfile(files(k).folder, files(k).name)), "\n");
%!   for j = 1:numel(lines)
%!     code = regexprep(lines{j}, '%.*$', '');         % comments may hold anything
%!     code = regexprep(code, '''[^'']*''', '''''');    % so may character literals
%!     assert(isempty(regexp(code, octave_only, 'once')), ...
%!            sprintf('%s:%d: %s', files(k).name, j, lines{j}));
%!   end
%! end
