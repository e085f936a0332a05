% Windows far longer than the signal, run under a limit on address space (set by the test): each
% call returns the right result or a plorvent: identifier, and Octave lives on. Nothing may ask
% for memory in proportion to such a window. Run: octave-cli huge_windows.m MODULE_DIR
args = argv();
addpath(args{end});
longest = 2^31 - 1;
randn('seed', 5);
x = randn(10, 1);
failures = {};
function failures = expect(failures, what, f)
  tic;
  try
    ok = f();
    outcome = 'ok';
  catch err
    ok = false;
    outcome = err.identifier;
  end
  printf('%-55s %-30s %.2f s\n', what, outcome, toc);
  if ~ok
    failures{end + 1} = what;
  end
end
function yes = refused(f, id)
  try
    y = f();  % one result: plorvent_core refuses calls with none
    yes = false;
  catch err
    yes = strcmp(err.identifier, id);
  end
end
% With W2 >= n every window holds all of x, so the results with a longer window follow from
% those with a shorter one (the extra copies of the padding fall on both sides of the median).
short = 2 * (numel(x) + 5) + 1;
failures = expect(failures, 'plorvent(x, 2^31-1): all zeros', ...
                  @() isequal(plorvent(x, longest), zeros(10, 1)));
failures = expect(failures, 'plorvent(x, 2^31-1, ''replicate'')', ...
                  @() isequal(plorvent(x, longest, 'replicate'), plorvent(x, short, 'replicate')));
failures = expect(failures, 'plorvent(single(x), 2^31-1, 7): all 7', ...
                  @() isequal(plorvent(single(x), longest, 7), single(7 * ones(10, 1))));
failures = expect(failures, 'plorvent with -0 and +0, ''raw'': plorvent:windowTooLong', ...
                  @() refused(@() plorvent([x; -0], longest, 'NaN', 'raw'), ...
                              'plorvent:windowTooLong'));
failures = expect(failures, 'plorvent with -0 and +0: all +0', ...
                  @() isequal(typecast(plorvent([x; -0], longest), 'uint64'), zeros(11, 1, 'uint64')));
failures = expect(failures, 'plorvent_core, W2 = 2^30-1: plorvent_core:shortExtension', ...
                  @() refused(@() plorvent_core(x, x, x, 2^30 - 1), 'plorvent_core:shortExtension'));
file = [tempname() '.bin'];
fid = fopen(file, 'w');
fwrite(fid, x, 'double');
fclose(fid);
failures = expect(failures, 'plorvent_file, w = 2^31-1, replicate', ...
                  @() plorvent_file(file, [file '.out'], longest, 'replicate') == 10 && ...
                      isequal(fread(fopen([file '.out']), Inf, 'double'), ...
                              plorvent(x, short, 'replicate')));
fclose('all');
delete(file, [file '.out']);
% A file larger than the address space allowed (a sparse 5.6 GB), with a window longer than it:
% the budget refuses it from the file's size, before any of it is read.
system(sprintf('truncate -s %d ''%s''', 8 * 7e8, file));
failures = expect(failures, 'plorvent_file, 5.6 GB, w = 2^31-1: plorvent:windowTooLong', ...
                  @() refused(@() plorvent_file(file, [file '.out'], longest, 'MemoryBudget', 1e6), ...
                              'plorvent:windowTooLong') && ...
                      refused(@() plorvent_file(file, [file '.out'], longest, 'shrink', ...
                                                'MemoryBudget', 1e6), 'plorvent:windowTooLong'));
delete(file);
printf('huge windows: %d passed, %d failed\n', 8 - numel(failures), numel(failures));
exit(double(~isempty(failures)));
