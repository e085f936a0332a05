function [id, n, file] = open_signal(file)
%OPEN_SIGNAL Opens the signal file FILE for reading; returns its ID, the number of samples in it
%   and the name of the file opened: FILE, or where no file has that name, one in a folder on the
%   path, as FOPEN finds it. Only a regular file is opened: a pipe would wait for a writer, and
%   neither it, a device nor a folder has a size that counts the signal's samples.
file = found_on_path(file);
switch file_kind(file)
  case 'missing'
    error('plorvent:fileNotFound', 'Cannot open ''%s'' for reading: no such file.', file);
  case 'folder'
    error('plorvent:notARegularFile', '''%s'' is a folder, not a file of samples.', file);
  case 'other'
    error('plorvent:notARegularFile', ...
          '''%s'' is a pipe, a device or a socket, not a regular file of samples.', file);
end
[id, message] = fopen(file, 'r', 'ieee-le');
if id < 0
  error('plorvent:cannotReadFile', 'Cannot open ''%s'' for reading: %s.', file, message);
end
bytes = open_file_bytes(id);
if mod(bytes, 8) ~= 0
  fclose(id);
  error('plorvent:invalidFileSize', ...
        '''%s'' holds %d bytes, not a whole number of 8-byte samples.', file, bytes);
end
n = bytes / 8;
file = fopen(id);
end

function file = found_on_path(file)
% FILE where something has that name, where it is rooted, or where it starts from the home or the
% current folder by name (~, ./ or ../); else the first of that name in a folder on the path,
% where FOPEN looks for a file to read.
if ~strcmp(file_kind(file), 'missing') || is_rooted(file) || ...
   ~isempty(regexp(file, '^(~|\.\.?([\\/]|$))', 'once'))
  return;
end
folders = strsplit(path(), pathsep());
for k = 1:numel(folders)
  candidate = fullfile(folders{k}, file);
  if ~strcmp(file_kind(candidate), 'missing')
    file = candidate;
    return;
  end
end
end
