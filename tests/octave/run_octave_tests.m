% Runs every test_*.m file beside this script with Octave's test framework against the module
% in the folder given as the first argument, prints "N passed, N failed" and exits non-zero on
% any failure. A second argument K/N runs the K-th of N shares of the files (every N-th file from
% the K-th on), so that N runs side by side share them.
args = argv();
shard = regexp(args{end}, '^(\d+)/(\d+)$', 'tokens', 'once');
if isempty(shard)
  shard = {'1', '1'};
else
  args(end) = [];
end
module_dir = args{end};
here = fileparts(mfilename('fullpath'));
addpath(module_dir);
addpath(here);
files = dir(fullfile(here, 'test_*.m'));
files = files(str2double(shard{1}):str2double(shard{2}):end);
passed = 0;
total = 0;
for k = 1:numel(files)
  [n, nmax] = test(fullfile(here, files(k).name), 'quiet', stdout);
  printf('%s: %d of %d passed\n', files(k).name, n, nmax);
  passed += n;
  total += nmax;
end
printf('octave: %d passed, %d failed\n', passed, total - passed);
exit(double(passed != total || total == 0));
