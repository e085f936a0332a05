function name = real_name(name)
%REAL_NAME NAME with symbolic links resolved where it names an existing file or folder, so that
%   the file a link points to is the one replaced, as writing through the link would.
if is_octave()
  [real, status] = canonicalize_file_name(name);
  if status == 0
    name = real;
  end
elseif usejava('jvm') && (isfile(name) || isfolder(name))
  name = char(javaMethod('getCanonicalPath', java_file(name)));
end
end
