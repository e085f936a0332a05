function module = build_plorvent(output_dir)
%BUILD_PLORVENT Compile the plorvent_core module with this host's mex command.
%   build_plorvent() compiles plorvent_core.<mexext> (plorvent_core.mexw64 on 64-bit Windows,
%   .mexa64 on Linux, .mexmaci64/.mexmaca64 on macOS, .mex in GNU Octave) into the toolbox/
%   folder beside this file, next to plorvent.m and the help file plorvent_core.m.
%   build_plorvent(OUTPUT_DIR) puts it in OUTPUT_DIR instead, creating the folder if needed.
%   MODULE = build_plorvent(...) returns the module's full file name.
%
%   Runs in MATLAB (set up a C++ compiler once with "mex -setup C++") and in GNU Octave. The
%   module is built from gateway/*.cpp and core/*.cpp with no options beyond the project root
%   as include folder and, in MATLAB, -compatibleArrayDims; intermediate files go to the host's
%   temporary folder. Afterwards add OUTPUT_DIR to the path and call
%   m = plorvent_core(x, xic, xfc, W2).

root = fileparts(mfilename('fullpath'));
if nargin < 1
  output_dir = fullfile(root, 'toolbox');
end
if ~exist(output_dir, 'dir') && ~mkdir(output_dir)
  error('build_plorvent:outputDir', 'Cannot create the output folder %s.', output_dir);
end

sources = [dir(fullfile(root, 'gateway', '*.cpp')); dir(fullfile(root, 'core', '*.cpp'))];
files = cellfun(@fullfile, {sources.folder}, {sources.name}, 'UniformOutput', false);
if exist('OCTAVE_VERSION', 'builtin')
  % Octave's mex has no -outdir and ignores -compatibleArrayDims (with a warning): the folder
  % goes into the output name.
  mex(['-I' root], '-output', fullfile(output_dir, 'plorvent_core'), files{:});
else
  mex('-compatibleArrayDims', ['-I' root], '-outdir', output_dir, '-output', 'plorvent_core', ...
      files{:});
end

module = fullfile(output_dir, ['plorvent_core.' mexext]);
if ~exist(module, 'file')
  error('build_plorvent:notBuilt', 'mex finished but %s is missing.', module);
end
fprintf(['Built %s\nTo use it: addpath(''%s''), then y = plorvent(x, w) or ' ...
         'm = plorvent_core(x, xic, xfc, W2)\n'], ...
        module, output_dir);
end
