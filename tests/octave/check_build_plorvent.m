% build_plorvent.m run as a user runs it: it compiles the modules into a folder of our choice
% (here a temporary one), writes nothing into the source tree, and the modules it built work.
% Run: octave-cli check_build_plorvent.m PROJECT_ROOT
args = argv();
root = args{end};
source_dirs = {root, fullfile(root, 'gateway'), fullfile(root, 'core')};
list_sources = @() cellfun(@(d) {dir(d).name}, source_dirs, 'UniformOutput', false);
before = list_sources();

out = tempname();
addpath(root);
modules = build_plorvent(out);
assert(isequal(modules, {fullfile(out, ['plorvent_core.' mexext]), ...
                         fullfile(out, 'plorvent_filter.oct')}));
assert(all(cellfun(@(m) exist(m, 'file') != 0, modules)));
assert(isequal(list_sources(), before), 'build_plorvent wrote into the source tree');

addpath(out);
assert(strcmp(which('plorvent_core'), modules{1}));
assert(strcmp(which('plorvent_filter'), modules{2}));
assert(plorvent_core([3 1 2 5 4], 0, 0, 1), [1; 2; 2; 4; 4]);
assert(plorvent_filter([3 1 2 5 4], 3, 0, 0, 2, 0, 1e6, 1, Inf), [1 2 2 4 4]);
confirm_recursive_rmdir(false);
rmdir(out, 's');
printf('build_plorvent: 1 passed, 0 failed\n');
