function name = real_name(name)
%REAL_NAME NAME with symbolic links resolved, so that the file a link points to is the one written
%   or replaced, as writing through the link would; where that file does not exist yet, it is the
%   one made (a dangling link is kept, not replaced by a file).
name = end_of_links(name);
if is_octave()
  [real, status] = canonicalize_file_name(name);
  if status == 0
    name = real;
  end
elseif usejava('jvm') && (isfile(name) || isfolder(name))
  name = char(javaMethod('getCanonicalPath', java_file(name)));
end
end

function name = end_of_links(name)
% The name that the chain of symbolic links from NAME ends at: NAME where it is no link. A chain
% no file ends (a link to itself) has nothing to write through to.
for hop = 1:40
  target = link_target(name);
  if isempty(target)
    return;
  end
  if ~is_rooted(target)
    target = fullfile(fileparts(name), target);  % relative to the link's folder
  end
  name = target;
end
error('plorvent:cannotWriteFile', 'Cannot write ''%s'': too many levels of symbolic links.', name);
end

function target = link_target(name)
% The target NAME holds where it is a symbolic link, else ''.
target = '';
if is_octave()
  [text, err] = readlink(name);
  if err == 0
    target = text;
  end
elseif usejava('jvm')
  path = javaMethod('toPath', java_file(name));
  if javaMethod('isSymbolicLink', 'java.nio.file.Files', path)
    target = char(javaMethod('toString', ...
                             javaMethod('readSymbolicLink', 'java.nio.file.Files', path)));
  end
end
end
