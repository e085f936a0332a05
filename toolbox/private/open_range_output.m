function id = open_range_output(file, n)
%OPEN_RANGE_OUTPUT Opens the output FILE to write a range of it in place: a regular file of the
%   input's length (N samples), made (all zeros) when missing. Every process writing a range of
%   one output opens it so. A missing output is made whole under a name of its own and only then
%   linked into place, so that no process meets a part-made output or replaces one that another
%   process has begun to fill.
kind = file_kind(file);
if ~any(strcmp(kind, {'regular', 'missing'}))
  error('plorvent:cannotWriteFile', ...
        '''%s'' is not a regular file, in which a range is written at its own offset.', file);
end
if strcmp(kind, 'missing')
  make_file_of_zeros(file, 8 * n);
end
id = fopen(file, 'r+', 'ieee-le');
if id < 0
  error('plorvent:cannotWriteFile', 'Cannot open ''%s'' for writing.', file);
end
bytes = open_file_bytes(id);
if bytes ~= 8 * n
  fclose(id);
  error('plorvent:wrongOutputSize', ...
        ['''%s'' holds %d bytes, not the %d of the filtered signal (%d samples), into which a ' ...
         'range is written. Remove it or name another output.'], file, bytes, 8 * n, n);
end
frewind(id);
end

function make_file_of_zeros(file, bytes)
[folder, name, ext] = fileparts(file);
[~, unique_part] = fileparts(tempname());
part_file = fullfile(folder, [name ext '.' unique_part '.part']);
id = fopen(part_file, 'w');
if id < 0
  error('plorvent:cannotWriteFile', 'Cannot open ''%s'' for writing.', part_file);
end
fclose(id);
remove_part = onCleanup(@() discard_part(-1, part_file));
extend_file(part_file, bytes);
if is_octave()
  if link(part_file, file) ~= 0 && ~isfile(file)
    rename(part_file, file);  % a file system without hard links
  end
else
  publish_with_java(part_file, file);
end
end

function publish_with_java(part_file, file)
% A hard link fails where FILE exists; so does a move that does not replace, used where links are
% not supported. Either way an output another process made first is kept.
from = javaMethod('toPath', java_file(part_file));
to = javaMethod('toPath', java_file(file));
try
  javaMethod('createLink', 'java.nio.file.Files', to, from);
catch
  if ~isfile(file)
    javaMethod('move', 'java.nio.file.Files', from, to, ...
               javaArray('java.nio.file.CopyOption', 0));
  end
end
end
