function bytes = open_file_bytes(id)
%OPEN_FILE_BYTES The size in bytes of the open file ID, as it is now.
fseek(id, 0, 'eof');
bytes = ftell(id);
end
