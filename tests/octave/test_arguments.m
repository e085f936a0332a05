% The arguments of every public function, read by one kit: one fault gives one identifier suffix
% in every function; string scalars, abbreviated option names and any case work wherever
% character rows do; sample points may be durations or datetimes. MATLAB's string, duration and
% datetime classes are simulated by the classes in host_classes/, on the path for these tests only.

%!function folder = host_classes()
%! folder = fullfile(fileparts(which('test_arguments')), 'host_classes');
%!endfunction

%!function args = as_strings(args)
%! % Every character row of ARGS as a string scalar, as MATLAB users type it in double quotes.
%! for k = 1:numel(args)
%!   if ischar(args{k}) && isrow(args{k})
%!     args{k} = string(args{k});
%!   end
%! end
%!endfunction

%!function [id, message] = raised(f, args)
%! id = '';
%! message = '';
%! try
%!   f(args{:});
%! catch err
%!   [id, message] = deal(err.identifier, err.message);
%! end
%!endfunction

%!test  # one fault, one identifier suffix in every function; the same with string scalars
%! x = [4 8 6 -1 -2];
%! in = 'no_such_input.bin';                 % argument faults are found before any file is read
%! out = 'out.bin';
%! pv = 'plorvent'; pf = 'plorvent_file'; mm = 'plorvent_movmedian'; mf = 'plorvent_medfilt1';
%! md = 'plorvent_movmad'; mq = 'plorvent_movquantile'; mp = 'plorvent_movprctile';
%! hp = 'plorvent_hampel'; io = 'plorvent_isoutlier'; fo = 'plorvent_filloutliers';
%! mov = 'movmedian';
%! faults = {
%!   'notEnoughInputs',    {pv, {x}; pf, {in, out}; mm, {x}; mf, {}; md, {x}; mq, {x, 0.5}; mp, {x}; ...
%!                          hp, {}; io, {}; io, {x, mov}; fo, {x}; fo, {x, 'linear', mov}}
%!   'invalidInput',       {pv, {{1}, 3}; mm, {'abc', 3}; mf, {[1i 2]}; md, {'abc', 3}; ...
%!                          mq, {{1}, 0.5, 3}; mp, {[1i 2], 50, 3}; hp, {'abc'}; ...
%!                          hp, {ones(2, 2, 2)}; io, {{1}, mov, 3}; fo, {[1i 2], 'center', mov, 3}}
%!   'invalidWindow',      {pv, {x, {}}; pf, {in, out, {}}; mm, {x, {}}; mf, {x, {}}; hp, {x, {}}; ...
%!                          io, {x, mov, {}}; fo, {x, 'center', mov, {}}}
%!   'invalidWindow',      {pv, {x, ones(1, 1, 3)}; pf, {in, out, [3 5]}; mm, {x, ones(1, 1, 2)}; ...
%!                          mm, {x, [1 2 3]}; mf, {x, [3 3]}; mf, {x, NaN}; md, {x, -1}; ...
%!                          mq, {x, 0.5, 'abc'}; mp, {x, 50, [1 2 3]}; hp, {x, -1}; ...
%!                          hp, {x, 1.5}; io, {x, mov, [1 2 3]}; fo, {x, 7, mov, -2}}
%!   'invalidDim',         {pv, {x, 3, [], {}}; mm, {x, 3, {}}; mf, {x, 3, [], {}}; md, {x, 3, {}}; ...
%!                          io, {x, mov, 3, {}}; fo, {x, 'clip', mov, 3, {}}}
%!   'invalidDim',         {pv, {x, 3, [], 1.5}; mm, {x, 3, 0}; mf, {x, 3, [], true}; ...
%!                          mq, {x, 0.5, 3, 0}; mp, {x, 50, 3, 1.5}; io, {x, mov, 3, 0}; ...
%!                          fo, {x, 'clip', mov, 3, 1.5}}
%!   'invalidFlag',        {pv, {x, 3, 'omitnan', 'includenan'}; mm, {x, 3, 'omitnan', 'omitnan'}; ...
%!                          mf, {x, 3, 'omitnan', 'includenan'}; mf, {x, 3, [], 2, 1}; ...
%!                          md, {x, 3, 'omitnan', 'omitnan'}; mq, {x, 0.5, 3, 'Method', 5, 'omitnan'}}
%!   'unknownOption',      {pv, {x, 3, [], 1, 'Windows', 1}; pf, {in, out, 3, [], 'Windows', 1}; ...
%!                          mm, {x, 3, 'Windows', 1}; md, {x, 3, 'Method', 5}; mp, {x, 50, 3, 'Win', 1}; ...
%!                          io, {x, mov, 3, 'Endpoints', 'fill'}; fo, {x, 'next', mov, 3, 'omitnan'}}
%!   'unknownOption',      {pv, {x, 3, 'zeros', 1, 2}; pf, {in, out, 3, 'zeros', 1}; mm, {x, 3, 1, 2}; ...
%!                          mq, {x, 0.5, 3, 1, 2}; io, {x, mov, 3, 1, 2}}
%!   'missingOptionValue', {pv, {x, 3, 'Threads'}; pf, {in, out, 3, 'Workers'}; mm, {x, 3, 'Endpoints'}; ...
%!                          md, {x, 3, 'Endpoints'}; mq, {x, 0.5, 3, 'Method'}; ...
%!                          io, {x, mov, 3, 'ThresholdFactor'}; fo, {x, 0, mov, 3, 'SamplePoints'}}
%!   'invalidOptionValue', {pv, {x, 3, 'BlockSize', {}}; pf, {in, out, 3, 'Verbose', {}}; ...
%!                          mm, {x, 3, 'End', {}}; md, {x, 3, 'End', {}}; mq, {x, 0.5, 3, 'Method', {}}}
%!   'invalidOptionValue', {pv, {x, 3, 'NaN', 'omit'}; pf, {in, out, 3, 'Range', 1}; ...
%!                          mm, {x, 3, 'End', 'cut'}; mm, {x, 3, 'SamplePoints', 1:5, 'End', 'fill'}; ...
%!                          mq, {x, 0.5, 3, 'Method', 10}; mp, {x, 50, 3, 'Method', 'linear'}}
%!   'invalidSamplePoints', {mm, {x, 3, 'SamplePoints', 5:-1:1}; mm, {x, 3, 'SamplePoints', {}}; ...
%!                          md, {x, 3, 'SamplePoints', 1:4}; mp, {x, 50, 3, 'SamplePoints', {}}; ...
%!                          io, {x, mov, 3, 'SamplePoints', 5:-1:1}; fo, {x, 0, mov, 3, 'Sample', 1:4}}
%!   'invalidProbability', {mq, {x, 1.5, 3}; mq, {x, 'p', 3}; mp, {x, -1, 3}; mp, {x, NaN, 3}}
%!   'invalidThreshold',   {hp, {x, 3, -1}; hp, {x, 3, 'big'}; io, {x, mov, 3, 'ThresholdFactor', -1}; ...
%!                          fo, {x, 'center', mov, 3, 'Thr', NaN}}
%!   'unsupportedMethod',  {io, {x}; io, {x, 'median'}; io, {x, 'grubbs', 3}; io, {x, 'movavg', 3}; ...
%!                          fo, {x, 'center'}; fo, {x, 'center', 'quartiles'}; ...
%!                          fo, {x, 'makima', mov, 3}}
%!   'invalidFillMethod',  {fo, {x, 'cubic', mov, 3}; fo, {x, {}, mov, 3}}
%!   'windowTooLong',      {pv, {[-0; 1; 2], 2^31 - 1, 'NaN', 'raw'}}
%!   'tooManyInputs',      {hp, {x, 3, 3, 1}}};
%! addpath(host_classes());
%! unwind_protect
%!   for row = 1:rows(faults)
%!     calls = faults{row, 2};
%!     for c = 1:rows(calls)
%!       [name, args] = calls{c, :};
%!       expected = [regexprep(name, '^plorvent_file$', 'plorvent') ':' faults{row, 1}];
%!       what = sprintf('%s, fault %d', name, row);
%!       [id, message] = raised(str2func(name), args);
%!       assert(id, expected, what);
%!       assert(isempty(regexp(message, 'plorvent_(filter|core)', 'once')), [what ': ' message]);
%!       assert(raised(str2func(name), as_strings(args)), expected, [what ' (strings)']);
%!     end
%!   end
%! unwind_protect_cleanup
%!   rmpath(host_classes());
%! end_unwind_protect

%!test  # more results than a function gives: its own identifier, as for too few arguments
%! x = [4 8 6 -1 -2];
%! calls = {'plorvent', {x, 3}, 1; 'plorvent_file', {'in.bin', 'out.bin', 3}, 1; ...
%!          'plorvent_movmedian', {x, 3}, 1; 'plorvent_medfilt1', {x}, 1; 'plorvent_movmad', {x, 3}, 1; ...
%!          'plorvent_movquantile', {x, 0.5, 3}, 1; 'plorvent_movprctile', {x, 50, 3}, 1; ...
%!          'plorvent_hampel', {x}, 4; 'plorvent_isoutlier', {x, 'movmedian', 3}, 4; ...
%!          'plorvent_filloutliers', {x, 'center', 'movmedian', 3}, 5};
%! for c = 1:rows(calls)
%!   [name, args, most] = calls{c, :};
%!   results = cell(1, most + 1);
%!   id = '';
%!   try
%!     [results{:}] = feval(name, args{:});
%!   catch err
%!     id = err.identifier;
%!   end
%!   assert(id, [regexprep(name, '^plorvent_file$', 'plorvent') ':tooManyOutputs']);
%! end

%!test  # string scalars, any case and unique prefixes of option names: the character rows' results
%! rand('seed', 21);
%! x = round(9 * rand(12, 3)) - 4;
%! x([5 17 30]) = NaN;
%! calls = {
%!   @plorvent, {x, 5, 'symmetric', 'NaN', 'raw'}, {x, 5, 'Symmetric', 'nan', 'RAW'}
%!   @plorvent, {x, 3, 'shrink', 2, 'omitnan', 'Threads', 2}, {x, 3, 'SHRINK', 2, 'OmitNaN', 'th', 2}
%!   @plorvent, {x, 3, 'BlockSize', 2, 'MemoryBudget', 1e9}, {x, 3, 'block', 2, 'mem', 1e9}
%!   @plorvent, {x, 3, 'omitnan'}, {x, 3, 'omitmissing'}
%!   @plorvent_movmedian, {x, 4, 'omitnan', 'Endpoints', 'discard'}, {x, 4, 'OMITNAN', 'end', 'Discard'}
%!   @plorvent_movmedian, {x, [2 1], 2, 'Endpoints', 'fill'}, {x, [2 1], 2, 'includemissing', 'e', 'fill'}
%!   @plorvent_movmedian, {x, 2.5, 'SamplePoints', (1:12) / 2}, {x, 2.5, 'samplep', (1:12) / 2}
%!   @plorvent_medfilt1, {x, 4, 'omitnan', 'truncate'}, {x, 4, 'Truncate', 'OmitNaN'}
%!   @plorvent_medfilt1, {x, 3, [], 2, 'zeropad', 'includenan'}, {x, 3, 5, 2, 'ZeroPad'}
%!   @plorvent_movmad, {x, 4, 'omitnan', 'Endpoints', 'discard'}, {x, 4, 'OmitMissing', 'END', 'Discard'}
%!   @plorvent_movquantile, {x, [0.2 0.7], [2 1], 2, 'Method', 7, 'Endpoints', 'fill'}, ...
%!                          {x, [0.2 0.7], [2 1], 2, 'includenan', 'meth', 7, 'e', 'Fill'}
%!   @plorvent_movprctile, {x, 30, 2.5, 'SamplePoints', (1:12) / 2, 'Method', 3}, ...
%!                         {x, 30, 2.5, 'samplep', (1:12) / 2, 'M', 3}
%!   @plorvent_isoutlier, {x, 'movmedian', [2 1], 2, 'ThresholdFactor', 1, 'SamplePoints', 1:3}, ...
%!                        {x, 'MovMedian', [2 1], 2, 'thr', 1, 'samplep', 1:3}
%!   @plorvent_filloutliers, {x, 'linear', 'movmedian', 4}, {x, 'LINEAR', 'movmed', 4}};
%! addpath(host_classes());
%! unwind_protect
%!   for k = 1:rows(calls)
%!     [f, typed, spelled] = calls{k, :};
%!     expected = f(typed{:});
%!     assert(isequaln(f(as_strings(typed){:}), expected), sprintf('call %d, strings', k));
%!     assert(isequaln(f(spelled{:}), expected), sprintf('call %d, spelled', k));
%!     assert(isequaln(f(as_strings(spelled){:}), expected), sprintf('call %d, spelled strings', k));
%!   end
%!   % file names and options of plorvent_file
%!   input = [tempname() '.bin'];
%!   fid = fopen(input, 'w', 'ieee-le');
%!   fwrite(fid, x(:, 1), 'double');
%!   fclose(fid);
%!   unwind_protect
%!     n = plorvent_file(string(input), string([input '.out']), 5, string('replicate'), ...
%!                       string('nan'), string('raw'), string('block'), 4, string('RANGE'), [2 11]);
%!     assert(n, 10);
%!     fid = fopen([input '.out'], 'r', 'ieee-le');
%!     y = fread(fid, Inf, 'double');
%!     fclose(fid);
%!     expected = plorvent(x(:, 1), 5, 'replicate', 'NaN', 'raw');
%!     assert(isequaln(y(2:11), expected(2:11)));
%!   unwind_protect_cleanup
%!     delete(input);
%!     delete([input '.out']);
%!   end_unwind_protect
%! unwind_protect_cleanup
%!   rmpath(host_classes());
%! end_unwind_protect
%!error id=plorvent:invalidFileName plorvent_file('', 'out.bin', 3)

%!test  # sample points as durations and datetimes: their seconds, the window a duration
%! rand('seed', 22);
%! x = round(9 * rand(2, 10));
%! t = [0 1 2.5 4 7 7.5 9 10 10.5 12];
%! addpath(host_classes());
%! unwind_protect
%!   for k = {3, [2 0.5]}
%!     expected = plorvent_movmedian(x, k{1}, 2, 'SamplePoints', t);
%!     window = duration(0, 0, k{1});
%!     assert(plorvent_movmedian(x, window, 2, 'SamplePoints', duration(0, 0, t)), expected);
%!     points = datetime(2024, 3, 10, 23, 59, 58 + t);        % across midnight
%!     assert(plorvent_movmedian(x, window, 2, 'SamplePoints', points), expected);
%!     discard = plorvent_movmedian(x, window, 2, 'SamplePoints', points, 'Endpoints', 'discard');
%!     assert(discard, plorvent_movmedian(x, k{1}, 2, 'SamplePoints', t, 'Endpoints', 'discard'));
%!     assert(plorvent_movquantile(x, 0.3, window, 2, 'SamplePoints', points), ...
%!            plorvent_movquantile(x, 0.3, k{1}, 2, 'SamplePoints', t));
%!     assert(plorvent_movmad(x, window, 2, 'SamplePoints', points), ...
%!            plorvent_movmad(x, k{1}, 2, 'SamplePoints', t));
%!   end
%!   % steps of 0.1 microseconds far from any origin keep their windows
%!   assert(plorvent_movmedian(x, duration(0, 0, 3e-7), 2, 'SamplePoints', ...
%!                             datetime(2024, 3, 10, 0, 0, 1e-7 * t)), ...
%!          plorvent_movmedian(x, 3e-7, 2, 'SamplePoints', 1e-7 * t));
%!   refusals = {
%!     'plorvent_movmedian:invalidWindow',       {x, 3, 2, 'SamplePoints', duration(0, 0, t)}
%!     'plorvent_movmedian:invalidWindow',       {x, duration(0, 0, 3), 2}
%!     'plorvent_movmedian:invalidWindow',       {x, duration(0, 0, 3), 2, 'SamplePoints', t}
%!     'plorvent_movmedian:invalidWindow',       {x, duration(0, 0, [1 1 1]), 2, 'SamplePoints', ...
%!                                                duration(0, 0, t)}
%!     'plorvent_movmedian:invalidSamplePoints', {x, duration(0, 0, 3), 2, 'SamplePoints', ...
%!                                                duration(0, 0, [t(1:9) NaN])}
%!     'plorvent_movmedian:invalidSamplePoints', {x, duration(0, 0, 3), 2, 'SamplePoints', ...
%!                                                datetime(2024, 3, 10, 0, 0, fliplr(t))}};
%!   for k = 1:rows(refusals)
%!     assert(raised(@plorvent_movmedian, refusals{k, 2}), refusals{k, 1}, sprintf('refusal %d', k));
%!   end
%! unwind_protect_cleanup
%!   rmpath(host_classes());
%! end_unwind_protect

%!test  # empty arrays of any size in every function, also with options
%! for sz = {[0 0], [0 3], [3 0], [3 0 2], [1 0]}
%!   x = zeros(sz{1});
%!   assert(size(plorvent(x, 3, 'shrink', 'omitnan')), sz{1});
%!   assert(size(plorvent(single(x), 5, 'periodic')), sz{1});
%!   assert(size(plorvent_movmedian(int8(x), [1 2], 'omitnan')), sz{1});
%!   assert(size(plorvent_medfilt1(x, 4, [], [], 'truncate')), sz{1});
%!   assert(class(plorvent_movmedian(logical(x), 2)), 'double');
%!   assert(size(plorvent_movmad(uint16(x), 3, 'omitnan')), sz{1});
%!   assert(size(plorvent_movprctile(x, [5; 95], 4)), [sz{1} 2]);
%!   dim = find([sz{1} 2] ~= 1, 1);
%!   n = size(x, dim);
%!   discard = plorvent_movmedian(x, 2, 'SamplePoints', 0:n - 1, 'Endpoints', 'discard');
%!   assert(size(discard, dim), max(n - 2, 0));
%! end
