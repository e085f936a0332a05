% Installs the package given as the first argument with `pkg install` into a temporary prefix
% and package list (nothing of the user's or the system's packages changes), loads it, calls
% its functions and runs their own tests and demo; exits non-zero on any failure. Run:
%   octave-cli tests/octave/install_package.m build/plorvent-<version>.tar.gz
args = argv();
tarball = canonicalize_file_name(args{end});
prefix = tempname();
mkdir(prefix);
status = 1;
unwind_protect
  pkg('prefix', fullfile(prefix, 'share'), fullfile(prefix, 'lib'));
  pkg('local_list', fullfile(prefix, 'octave_packages'));
  pkg('install', '-local', tarball);
  pkg('load', 'plorvent');

  installed = pkg('list', 'plorvent');
  assert(numel(installed) == 1 && strncmp(installed{1}.dir, prefix, numel(prefix)));
  [folder, ~, ext] = fileparts(which('plorvent_core'));
  assert(ext, '.mex');
  assert(strncmp(folder, prefix, numel(prefix)));
  [folder, ~, ext] = fileparts(which('plorvent_filter'));
  assert(ext, '.oct');
  assert(strncmp(folder, prefix, numel(prefix)));
  assert(~isempty(strfind(get_help_text('plorvent_filter'), 'plorvent_filter:windowTooLong')));

  assert(plorvent_core([3 1 2 5 4], 0, 0, 1), [1; 2; 2; 4; 4]);
  assert(plorvent([3 1 2 5 4; 1 1 1 1 1], 3, 'replicate', 2), [3 2 2 4 4; 1 1 1 1 1]);
  assert(isnan(plorvent([1 NaN 3], 3)), [true true true]);
  assert(~isempty(strfind(get_help_text('plorvent_core'), 'plorvent_core:shortExtension')));
  assert(~isempty(strfind(get_help_text('plorvent'), 'PLORVENT(X, W, PADDING, DIM)')));
  signal = [tempname() '.bin'];
  fid = fopen(signal, 'w');
  fwrite(fid, [3 1 2 5 4], 'double');
  fclose(fid);
  assert(plorvent_file(signal, [signal '.out'], 3, 'replicate', 'BlockSize', 2), 5);
  fid = fopen([signal '.out']);
  assert(fread(fid, Inf, 'double'), [3; 2; 2; 4; 4]);
  fclose(fid);
  delete(signal, [signal '.out']);

  % The tests and the demo beside the code, as `test plorvent` and `demo plorvent` run them: of
  % every function the package's index lists.
  names = regexp(fileread(fullfile('package', 'INDEX')), '(?m)^ (\w+)', 'tokens');
  names = [names{:}];
  for name = names
    assert(test(name{1}, 'quiet'), sprintf('test %s', name{1}));
  end
  set(0, 'defaultfigurevisible', 'off');
  demo('plorvent', 1);
  close('all');

  pkg('unload', 'plorvent');
  assert(isempty(which('plorvent')));
  printf('package %s installs, loads and works\n', installed{1}.version);
  status = 0;
unwind_protect_cleanup
  confirm_recursive_rmdir(false);
  rmdir(prefix, 's');
end_unwind_protect
exit(status);
