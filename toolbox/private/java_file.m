function file = java_file(name)
%JAVA_FILE A java.io.File for NAME; a relative NAME is taken from the current folder, which Java
%   does not follow (it resolves against the folder the host started in).
file = javaObject('java.io.File', name);
if ~javaMethod('isAbsolute', file)
  file = javaObject('java.io.File', pwd, name);
end
end
