function modules = build_plorvent(output_dir)
%BUILD_PLORVENT Compile the plorvent modules with this host's mex command.
%   build_plorvent() compiles plorvent_core.<mexext> and plorvent_filter.<mexext>
%   (.mexw64 on 64-bit Windows, .mexa64 on Linux, .mexmaci64/.mexmaca64 on macOS) into the
%   toolbox/ folder beside this file, next to plorvent.m and the modules' help files
%   plorvent_core.m and plorvent_filter.m. In GNU Octave they are plorvent_core.mex and
%   plorvent_filter.oct, a native module that hands back its results without a copy.
%   build_plorvent(OUTPUT_DIR) puts them in OUTPUT_DIR instead, creating the folder if needed.
%   MODULES = build_plorvent(...) returns the modules' full file names (a cell array).
%
%   Runs in MATLAB (set up a C++ compiler once with "mex -setup C++") and in GNU Octave. Each
%   module is built from its gateway, gateway/<name>_gateway.cpp (plorvent_filter's with its
%   host's adapter, gateway/plorvent_filter_mex.cpp or, by mkoctfile, plorvent_filter_octave.cpp),
%   and core/*/*.cpp with no options beyond the project root as include folder and, in MATLAB,
%   -compatibleArrayDims; intermediate files go to the host's temporary folder. GNU Octave
%   compiles core/*/*.cpp once and links both modules from those objects. Afterwards add
%   OUTPUT_DIR to the path and call y = plorvent(x, w) or m = plorvent_core(x, xic, xfc, W2).

root = fileparts(mfilename('fullpath'));
if nargin < 1
  output_dir = fullfile(root, 'toolbox');
end
if ~exist(output_dir, 'dir') && ~mkdir(output_dir)
  error('build_plorvent:outputDir', 'Cannot create the output folder %s.', output_dir);
end

core = dir(fullfile(root, 'core', '*', '*.cpp'));
core_files = cellfun(@fullfile, {core.folder}, {core.name}, 'UniformOutput', false);
names = {'plorvent_core', 'plorvent_filter'};
adapters = {{}, {fullfile(root, 'gateway', 'plorvent_filter_mex.cpp')}};
octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
if octave
  % The core uses no host type: compiled once, its objects serve both modules.
  object_dir = tempname();
  mkdir(object_dir);
  cleanup = onCleanup(@() remove_folder(object_dir));
  core_files = compile_once(root, core_files, object_dir);
end
modules = cell(size(names));
for k = 1:numel(names)
  gateway = fullfile(root, 'gateway', [names{k} '_gateway.cpp']);
  extension = mexext;
  if octave && k == 2
    % Octave's own module kind: its results are handed back without a copy.
    extension = 'oct';
    mkoctfile(['-I' root], gateway, fullfile(root, 'gateway', 'plorvent_filter_octave.cpp'), ...
              core_files{:}, '-o', fullfile(output_dir, [names{k} '.oct']));
  elseif octave
    % Octave's mex has no -outdir and ignores -compatibleArrayDims (with a warning): the folder
    % goes into the output name.
    mex(['-I' root], '-output', fullfile(output_dir, names{k}), gateway, adapters{k}{:}, ...
        core_files{:});
  else
    mex('-compatibleArrayDims', ['-I' root], '-outdir', output_dir, '-output', names{k}, ...
        gateway, adapters{k}{:}, core_files{:});
  end
  modules{k} = fullfile(output_dir, [names{k} '.' extension]);
  if ~exist(modules{k}, 'file')
    error('build_plorvent:notBuilt', 'mex finished but %s is missing.', modules{k});
  end
  fprintf('Built %s\n', modules{k});
end
fprintf(['To use them: addpath(''%s''), then y = plorvent(x, w) or ' ...
         'm = plorvent_core(x, xic, xfc, W2)\n'], output_dir);
end

function objects = compile_once(root, sources, object_dir)
% Compiles each source with mkoctfile into OBJECT_DIR; the objects are named after the sources'
% folders and names, as two folders may hold files of one name.
objects = cell(size(sources));
for k = 1:numel(sources)
  [folder, name] = fileparts(sources{k});
  [~, group] = fileparts(folder);
  objects{k} = fullfile(object_dir, [group '_' name '.o']);
  mkoctfile('-c', ['-I' root], sources{k}, '-o', objects{k});
end
end

function remove_folder(folder)
if exist(folder, 'dir')
  confirm_recursive_rmdir(false, 'local');
  rmdir(folder, 's');
end
end
