function [id, part_file] = open_part_file(output_file)
%OPEN_PART_FILE Opens the file the samples for OUTPUT_FILE are written to, once OUTPUT_FILE is known
%   to be replaceable: a new one beside it (so that the final move is a rename within one file
%   system) with a name of its own (so that calls writing the same output at once do not meet);
%   or, PART_FILE empty, OUTPUT_FILE itself where it is a device, a pipe or a socket, which holds
%   nothing to keep and must not be replaced by a file.
require_replaceable(output_file);
part_file = '';
target = output_file;
if ~is_stream(output_file)
  [folder, name, ext] = fileparts(output_file);
  [~, unique_part] = fileparts(tempname());
  part_file = fullfile(folder, [name ext '.' unique_part '.part']);
  target = part_file;
end
id = fopen(target, 'w', 'ieee-le');
if id < 0
  error('plorvent:cannotWriteFile', 'Cannot open ''%s'' for writing.', target);
end
end

function require_replaceable(file)
% Refuses up front, before any filtering, an OUTPUT that could not be written in place: a folder,
% or an existing file the caller may not write (opening it to append changes nothing).
writable = ~isfolder(file);
if writable && isfile(file)
  id = fopen(file, 'a');
  writable = id >= 0;
  if writable
    fclose(id);
  end
end
if ~writable
  error('plorvent:cannotWriteFile', 'Cannot open ''%s'' for writing.', file);
end
end
