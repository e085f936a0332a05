% build_plorvent.m run as a user runs it: it compiles the module into a folder of our choice
% (here a temporary one), writes nothing into the source tree, and the module it built works.
% Run: octave-cli check_build_plorvent.m PROJECT_ROOT
args = argv();
root = args{end};
source_dirs = {root, fullfile(root, 'gateway'), fullfile(root, 'core')};
list_sources = @() cellfun(@(d) {dir(d).name}, source_dirs, 'UniformOutput', false);
before = list_sources();

out = tempname();
addpath(root);
module = build_plorvent(out);
assert(strcmp(module, fullfile(out, ['plorvent_core.' mexext])));
assert(exist(module, 'file') != 0);
assert(isequal(list_sources(), before), 'build_plorvent wrote into the source tree');

addpath(out);
assert(strcmp(which('plorvent_core'), module));
assert(plorvent_core([3 1 2 5 4], 0, 0, 1), [1; 2; 2; 4; 4]);
confirm_recursive_rmdir(false);
rmdir(out, 's');
printf('build_plorvent: 1 passed, 0 failed\n');
