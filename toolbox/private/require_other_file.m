function require_other_file(input_file, output_file)
%REQUIRE_OTHER_FILE Refuses (plorvent:sameFile) an OUTPUT_FILE that is INPUT_FILE under any name:
%   replacing the input would lose the signal (and change what its other names hold).
if same_file(input_file, output_file)
  error('plorvent:sameFile', 'OUTPUT must not be the input file ''%s''.', input_file);
end
end

function same = same_file(a, b)
% Whether the existing file A and the file B (if there is one) are one file, whatever the names:
% the same device and inode in Octave; in MATLAB Java's file identity (on Windows the volume serial
% number and file index), or without Java the same absolute name.
if is_octave()
  [a_info, a_err] = stat(a);
  [b_info, b_err] = stat(b);
  same = a_err == 0 && b_err == 0 && a_info.dev == b_info.dev && a_info.ino == b_info.ino;
elseif usejava('jvm')
  b_file = java_file(b);
  same = javaMethod('exists', b_file) && ...
         javaMethod('isSameFile', 'java.nio.file.Files', javaMethod('toPath', java_file(a)), ...
                    javaMethod('toPath', b_file));
else
  same = strcmp(full_name(a), full_name(b));
end
end

function name = full_name(file)
% The absolute name of an existing file.
[ok, info] = fileattrib(file);
name = file;
if ok && numel(info) == 1
  name = info.Name;
end
end
