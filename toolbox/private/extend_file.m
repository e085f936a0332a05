function extend_file(file, bytes)
%EXTEND_FILE Makes the existing FILE, shorter than BYTES, BYTES long; the bytes added read as
%   zeros. Where the system can, the length is set without writing (the file stays sparse);
%   otherwise zeros are appended a block at a time.
if is_octave()
  if ~(isunix() && set_length_with_truncate(file, bytes))
    append_zeros(file, bytes);
  end
elseif usejava('jvm')
  set_length_with_java(file, bytes);
else
  append_zeros(file, bytes);
end
if file_size(file) ~= bytes
  error('plorvent:writeFailed', 'Could not make ''%s'' %d bytes long.', file, bytes);
end
end

function done = set_length_with_truncate(file, bytes)
quoted = ['''' strrep(file, '''', '''\''''') ''''];
[status, ~] = system(sprintf('truncate -s %d -- %s', bytes, quoted));
done = status == 0;
end

function set_length_with_java(file, bytes)
access = javaObject('java.io.RandomAccessFile', file, 'rw');
javaMethod('setLength', access, bytes);
javaMethod('close', access);
end

function append_zeros(file, bytes)
id = fopen(file, 'a');
if id < 0
  error('plorvent:cannotWriteFile', 'Cannot open ''%s'' for writing.', file);
end
zero_block = zeros(2^20, 1, 'uint8');
left = bytes - file_size(file);
while left > 0
  count = min(left, numel(zero_block));
  fwrite(id, zero_block(1:count), 'uint8');
  left = left - count;
end
fclose(id);
end

function bytes = file_size(file)
info = dir(file);
bytes = -1;
if numel(info) == 1
  bytes = info.bytes;
end
end
