function n = plorvent_file(input_file, output_file, w, varargin)
%PLORVENT_FILE Running median of a signal stored in a file, written to another file.
%   PLORVENT_FILE(INPUT, OUTPUT, W) reads the signal stored in the file
%   INPUT as raw little-endian doubles (8 bytes a sample, no header) and
%   writes its running median with window length W to the file OUTPUT in
%   the same format, one sample for each input sample: the bits PLORVENT
%   gives for the signal as a column. The signal is read and filtered a
%   block at a time and never held in memory whole, so it may be larger
%   than memory. OUTPUT is created or overwritten; it must not be INPUT.
%
%   PLORVENT_FILE(INPUT, OUTPUT, W, PADDING) extends the signal past its
%   ends as PLORVENT does: 'zeros' (the default; [] also selects it), a real
%   number C, 'replicate', 'symmetric' or 'periodic'. Samples that the
%   padding takes from the signal (from the other end, for 'periodic') are
%   read from the file where they are.
%
%   PLORVENT_FILE(..., 'BlockSize', B) filters B outputs a core call
%   (default 1048576); the memory used is a few arrays of B+W-1 samples.
%   Each block needs only its (W-1)/2 neighbouring samples on either side,
%   so the blocks of one file could also be handed to separate workers.
%   PLORVENT_FILE(..., 'NaN', MODE) treats windows holding a NaN as
%   PLORVENT does ('includenan', the default, or 'raw').
%
%   N = PLORVENT_FILE(...) returns the number of samples filtered.
%
%   In MATLAB the input is read through MEMMAPFILE, in GNU Octave with
%   FREAD; the output is written with FWRITE, a block at a time.
%
%   Errors carry the identifiers of PLORVENT and plorvent:invalidFileName,
%   plorvent:fileNotFound, plorvent:invalidFileSize, plorvent:sameFile,
%   plorvent:cannotWriteFile, plorvent:readFailed and plorvent:writeFailed.
%
%   Example: 10^7 samples written to a file, filtered into another
%     input = [tempname() '.bin'];
%     output = [tempname() '.bin'];
%     fid = fopen(input, 'w', 'ieee-le');
%     fwrite(fid, randn(1e7, 1), 'double');
%     fclose(fid);
%     plorvent_file(input, output, 101, 'replicate', 'BlockSize', 1e6);
%     fid = fopen(output, 'r', 'ieee-le');
%     y = fread(fid, Inf, 'double');     % as plorvent(x, 101, 'replicate')
%     fclose(fid);
%
%   See also PLORVENT, PLORVENT_CORE, MEMMAPFILE, FREAD.

if nargin < 3
  error('plorvent:notEnoughInputs', ...
        'Not enough input arguments. Usage: plorvent_file(input, output, w).');
end
input_file = file_name_of(input_file, 'INPUT');
output_file = file_name_of(output_file, 'OUTPUT');
[half_width, padding, ~, options] = filter_settings(w, varargin, [Inf 1], 1);
block_size = options.BlockSize;

[input_id, n, input_file] = open_signal(input_file);
close_input = onCleanup(@() fclose(input_id));
require_other_file(input_file, output_file);
output_id = fopen(output_file, 'w', 'ieee-le');
if output_id < 0
  error('plorvent:cannotWriteFile', 'Cannot open ''%s'' for writing.', output_file);
end
close_output = onCleanup(@() fclose(output_id));
if n == 0
  return;
end

read = sample_reader(input_file, input_id);
include_nan = strcmp(options.NaN, 'includenan');
for first = 1:block_size:n
  last = min(first + block_size - 1, n);
  m = filter_span(read, n, first, last, half_width, padding, include_nan);
  if fwrite(output_id, m, 'double') ~= numel(m)
    error('plorvent:writeFailed', 'Could not write samples %d to %d to ''%s''.', first, last, ...
          output_file);
  end
end
end

function name = file_name_of(name, what)
if isa(name, 'string') && isscalar(name)
  name = char(name);
end
if ~(ischar(name) && isrow(name))
  error('plorvent:invalidFileName', '%s must be a file name: a character row or a string.', what);
end
end

function [id, n, file] = open_signal(file)
% Opens FILE for reading; returns the number of samples in it and the name of the file opened
% (FOPEN may have found it on the path).
id = fopen(file, 'r', 'ieee-le');
if id < 0
  error('plorvent:fileNotFound', 'Cannot open ''%s'' for reading: no such file.', file);
end
fseek(id, 0, 'eof');
bytes = ftell(id);
if mod(bytes, 8) ~= 0
  fclose(id);
  error('plorvent:invalidFileSize', ...
        '''%s'' holds %d bytes, not a whole number of 8-byte samples.', file, bytes);
end
n = bytes / 8;
file = fopen(id);
end

function require_other_file(input_file, output_file)
% Writing to the input would destroy the samples still to be read.
same = strcmp(input_file, output_file);
if ~same && exist(output_file, 'file')
  same = strcmp(full_name(input_file), full_name(output_file));
end
if same
  error('plorvent:sameFile', 'OUTPUT must not be the input file ''%s''.', input_file);
end
end

function name = full_name(file)
% The absolute name of an existing file (in Octave also with links resolved).
[ok, info] = fileattrib(file);
name = file;
if ok && numel(info) == 1
  name = info.Name;
end
end

function read = sample_reader(file, id)
% READ(K): the samples at the ascending indices K, as a column.
if exist('OCTAVE_VERSION', 'builtin')
  read = @(k) read_runs(id, k);
else
  map = memmapfile(file, 'Format', 'double');
  read = @(k) map.Data(k);
end
end

function samples = read_runs(id, k)
% Reads each run of consecutive indices in K with one FREAD.
samples = zeros(numel(k), 1);
ends = [find(diff(k) ~= 1); numel(k)];
first = 1;
for r = 1:numel(ends)
  count = ends(r) - first + 1;
  fseek(id, (k(first) - 1) * 8, 'bof');
  [run, got] = fread(id, count, 'double');
  if got ~= count
    error('plorvent:readFailed', 'Could not read samples %d to %d.', k(first), k(ends(r)));
  end
  samples(first:ends(r)) = run;
  first = ends(r) + 1;
end
end
