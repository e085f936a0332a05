function [count, varargout] = plorvent_file(input_file, output_file, w, varargin)
%PLORVENT_FILE Running median of a signal stored in a file, written to another file.
%   PLORVENT_FILE(INPUT, OUTPUT, W) reads the signal stored in the file
%   INPUT as raw little-endian doubles (8 bytes a sample, no header) and
%   writes its running median with window length W to the file OUTPUT in
%   the same format, one sample for each input sample: the bits PLORVENT
%   gives for the signal as a column. The signal is read and filtered a
%   block at a time and never held in memory whole, so it may be larger
%   than memory. INPUT must be a regular file (or a link to one): a folder,
%   a pipe or a device is refused before anything is opened. OUTPUT is
%   created or replaced; it must not be INPUT under any name (a hard or
%   symbolic link, another spelling of the path). Where OUTPUT is a
%   symbolic link, the file it points to is written, and made where it does
%   not exist yet; the link stays. The samples go to a new file beside the
%   file written (<name>.<unique name>.part), which replaces it only once
%   all of them are written; on any error that file is deleted and an
%   existing output is left as it was. A device or a pipe named as OUTPUT
%   is written in place; a write it refuses (a full device, a pipe with no
%   reader left) is an error too. INPUT is only ever read; if its size
%   changes while it is read, the call is refused.
%
%   PLORVENT_FILE(INPUT, OUTPUT, W, PADDING) extends the signal past its
%   ends as PLORVENT does: 'zeros' (the default; [] also selects it), a real
%   number C, 'replicate', 'symmetric' or 'periodic'. Samples that the
%   padding takes from the signal (from the other end, for 'periodic') are
%   read from the file where they are.
%
%   PLORVENT_FILE(..., 'BlockSize', B) filters B outputs a core call
%   (default 1048576); the memory used is about 5 arrays of B+W-1 doubles
%   and 17 MiB a thread, whatever the file's length (72 MiB at the default
%   B on two threads).
%   A window longer than the signal holds all of it: the signal is then
%   read whole and filtered at once, its padding counted rather than built:
%   about 37 bytes a sample in all (the samples, the result, and PLORVENT's
%   count of them, 21 bytes a sample, which 'MemoryBudget', BYTES bounds as
%   PLORVENT's work, refusing more with plorvent:windowTooLong: from the
%   file's size, before any sample is read, so that a file larger than
%   memory is refused rather than read). 'Threads' is taken as PLORVENT
%   takes it.
%   PLORVENT_FILE(..., 'NaN', MODE) treats windows holding a NaN as
%   PLORVENT does ('includenan', the default, or 'raw'); so do the flags
%   'omitnan' and 'includenan', and the padding 'shrink'. The outputs are
%   PLORVENT's bits, zeros of both signs included.
%
%   PLORVENT_FILE(..., 'Range', [FIRST LAST]) filters only the outputs
%   FIRST to LAST (1-based, inclusive) and writes them at their own offsets
%   of OUTPUT, in place: OUTPUT is made at the input's full length (zeros
%   elsewhere) when missing, and must otherwise be a regular file of that
%   length, left unchanged outside the range. Only the samples those
%   outputs need are read (the range and (W-1)/2 samples on either side, or
%   the padding). Ranges that together cover the signal, written in any
%   order by any processes, on one machine or on several sharing the file
%   system, give the bytes of one whole call; a range that fails may leave
%   part of it written, and is simply run again.
%
%   PLORVENT_FILE(..., 'Workers', N) cuts the outputs (all of them, or the
%   'Range') into N ranges and filters them at once on the host's parallel
%   engine: parcellfun of GNU Octave's package parallel (loaded when
%   installed), or parfor in MATLAB with the Parallel Computing Toolbox
%   (on the current pool or one it opens); without either they run one
%   after another, after a warning plorvent:noParallelEngine. Each worker
%   is a PLORVENT_FILE call with 'Range'; without 'Range', they write into
%   the part file, which replaces OUTPUT only once all have finished. A
%   window longer than the signal, or an OUTPUT that is a device or a
%   pipe, is filtered by one process. See examples/filter_on_a_cluster.m
%   for several machines.
%
%   PLORVENT_FILE(..., 'Verbose', TF) prints a line as each range is done
%   (each worker's, or the call's own); by default only for ranges of 10^7
%   outputs or more.
%
%   N = PLORVENT_FILE(...) returns the number of outputs written.
%
%   In MATLAB the input is read through MEMMAPFILE, in GNU Octave with
%   FREAD; the output is written with FWRITE, a block at a time.
%
%   File names and other text may be character rows or string scalars
%   (plorvent_file("in.bin", "out.bin", 101, "Workers", 2)); option names
%   match in any case and by any prefix that names one option.
%
%   Errors carry the identifiers plorvent:notEnoughInputs,
%   plorvent:tooManyOutputs, plorvent:invalidWindow,
%   plorvent:invalidPadding, plorvent:invalidFlag, plorvent:unknownOption,
%   plorvent:missingOptionValue, plorvent:invalidOptionValue,
%   plorvent:invalidFileName, plorvent:fileNotFound,
%   plorvent:notARegularFile (INPUT is a folder, a pipe or a device),
%   plorvent:cannotReadFile (INPUT exists but the caller may not read it),
%   plorvent:invalidFileSize, plorvent:sameFile, plorvent:cannotWriteFile,
%   plorvent:readFailed, plorvent:writeFailed (also when the disk or device
%   filled up or a file-size limit cut the file short),
%   plorvent:inputChanged (INPUT grew or shrank during the call),
%   plorvent:moveFailed (the finished file could not replace OUTPUT),
%   plorvent:windowTooLong, plorvent:rangeOutsideSignal (a 'Range' below 1
%   or past the last sample), plorvent:reversedRange (FIRST > LAST),
%   plorvent:wrongOutputSize (an existing OUTPUT of another length than the
%   input, for 'Range'), plorvent:interrupted and plorvent:moduleNotFound;
%   the README's table "Errors" says when each is raised, in every function
%   of the toolbox.
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

require_arguments(nargin, nargout, [3 Inf 1], 'plorvent', ...
                  'n = plorvent_file(input, output, w, ...)');
input_file = file_name_of(input_file, 'INPUT');
output_file = file_name_of(output_file, 'OUTPUT');
[half_width, padding, ~, options] = filter_settings(w, varargin, [Inf 1], file_options());

[input_id, n, input_file] = open_signal(input_file);
close_input = onCleanup(@() fclose(input_id));
whole_file = isempty(options.Range);
range = range_of(options.Range, n);
output_file = real_name(output_file);
require_other_file(input_file, output_file);
whole_signal = 2 * half_width + 1 > n && n > 0;
% Several processes share only a file they can each write at their own offsets, and only blocks.
workers = options.Workers;
if whole_signal || is_stream(output_file)
  workers = 1;
end
workers = min(workers, max(range(2) - range(1) + 1, 1));
verbose = options.Verbose;
if isempty(verbose)
  verbose = range(2) - range(1) + 1 >= 1e7;
end
started = tic();

if whole_file
  % The whole signal: written to a part file that replaces OUTPUT once complete.
  [output_id, part_file] = open_part_file(output_file);
  discard = onCleanup(@() discard_part(output_id, part_file));
  target = part_file;
else
  output_id = open_range_output(output_file, n);
  target = output_file;
  close_output = onCleanup(@() close_if_open(output_id));
end
if workers > 1
  if whole_file
    extend_file(part_file, 8 * n);
  end
  % Workers may start in another folder: they get the files by absolute names. Each filters
  % its range on its own ('Range' and 'Verbose' are added after these arguments, and a later
  % option overrides an earlier one).
  worker_args = [{absolute_name(input_file), absolute_name(target), w}, varargin, {'Workers', 1}];
  run_ranges(worker_args, split_range(range, workers), verbose);
elseif whole_signal
  % Every window holds the whole signal: filtered at once, its padding counted, not built. The
  % module plans the call from the length first, so that a signal whose work the budget cannot
  % hold is refused before it is read (it may be larger than memory).
  filtered_signals(zeros(0, 1), 2 * half_width + 1, padding, 1, options, range, n);
  read = sample_reader(input_file, input_id, n);
  m = filtered_signals(read((1:n)'), 2 * half_width + 1, padding, 1, options, range);
  seek_output(output_id, range(1), output_file);
  write_outputs(output_id, m, range(1), range(2), output_file);
else
  filter_blocks(sample_reader(input_file, input_id, n), n, range, half_width, padding, ...
                options, output_id, output_file);
end
require_same_size(input_id, n, input_file);
if whole_file
  move_into_place(output_id, part_file, n, output_file);
elseif ~closed_after_writes(output_id)
  error('plorvent:writeFailed', 'Could not write outputs %d to %d to ''%s''.', range(1), ...
        range(2), output_file);
end
count = range(2) - range(1) + 1;
if verbose && workers == 1
  % One write a line, so that the lines of workers sharing a terminal do not interleave.
  fprintf(1, '%s', sprintf('plorvent_file: outputs %d to %d of %d written (%.1f s)\n', ...
                           range(1), range(2), n, toc(started)));
  if is_octave()
    fflush(stdout);
  end
end
end

function filter_blocks(read, n, range, half_width, padding, options, output_id, output_file)
% Filters the outputs in RANGE a block at a time and writes them at their offsets.
seek_output(output_id, range(1), output_file);
for first = range(1):options.BlockSize:range(2)
  last = min(first + options.BlockSize - 1, range(2));
  m = filter_span(read, n, first, last, half_width, padding, options);
  write_outputs(output_id, m, first, last, output_file);
end
end

function range = range_of(range, n)
% The outputs to write: RANGE checked against the signal of N samples, or all of them.
if isempty(range)
  range = [1 n];
elseif range(1) > range(2)
  error('plorvent:reversedRange', 'Range [%d %d] is empty: its first output is after its last.', ...
        range(1), range(2));
elseif range(1) < 1 || range(2) > n
  error('plorvent:rangeOutsideSignal', ...
        'Range [%d %d] is outside the signal, whose outputs are 1 to %d.', range(1), range(2), n);
end
end

function ranges = split_range(range, parts)
% RANGE cut into PARTS ranges of nearly equal length, as a cell of [first last].
edges = round(linspace(range(1) - 1, range(2), parts + 1));
ranges = arrayfun(@(k) [edges(k) + 1, edges(k + 1)], 1:parts, 'UniformOutput', false);
end

function name = file_name_of(name, what)
[is_text, name] = text_value(name);
if ~is_text || isempty(name)
  error('plorvent:invalidFileName', '%s must be a file name: a character row or a string.', what);
end
end

%!test
%! input = [tempname() '.bin'];
%! fid = fopen(input, 'w', 'ieee-le');
%! fwrite(fid, [3 1 2 5 4], 'double');
%! fclose(fid);
%! unwind_protect
%!   assert(plorvent_file(input, [input '.out'], 3, 'replicate', 'BlockSize', 2), 5);
%!   fid = fopen([input '.out'], 'r', 'ieee-le');
%!   assert(fread(fid, Inf, 'double'), [3; 2; 2; 4; 4]);
%!   fclose(fid);
%!   error_id = '';
%!   try
%!     plorvent_file(input, input, 3);
%!   catch err
%!     error_id = err.identifier;
%!   end
%!   assert(error_id, 'plorvent:sameFile');
%! unwind_protect_cleanup
%!   delete(input);
%!   delete([input '.out']);
%! end_unwind_protect
