function kind = file_kind(name)
%FILE_KIND What NAME names, symbolic links followed, found out without opening it (opening a pipe
%   waits for its other end): 'regular' (a file), 'folder', 'other' (a pipe, a device or a
%   socket) or 'missing' (nothing, a dangling link, or a folder on the way the caller may not
%   search). MATLAB without Java tells files and folders only.
if is_octave()
  [info, err] = stat(name);
  found = err == 0;
  kind = kind_of(found, found && S_ISREG(info.mode), found && S_ISDIR(info.mode));
elseif usejava('jvm')
  file = java_file(name);
  kind = kind_of(javaMethod('exists', file), javaMethod('isFile', file), ...
                 javaMethod('isDirectory', file));
else
  kind = kind_of(isfile(name) || isfolder(name), isfile(name), isfolder(name));
end
end

function kind = kind_of(exists, regular, folder)
if ~exists
  kind = 'missing';
elseif regular
  kind = 'regular';
elseif folder
  kind = 'folder';
else
  kind = 'other';
end
end
