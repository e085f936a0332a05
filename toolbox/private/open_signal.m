function [id, n, file] = open_signal(file)
%OPEN_SIGNAL Opens FILE for reading; returns the number of samples in it and the name of the file
%   opened (FOPEN may have found it on the path).
id = fopen(file, 'r', 'ieee-le');
if id < 0
  error('plorvent:fileNotFound', 'Cannot open ''%s'' for reading: no such file.', file);
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
