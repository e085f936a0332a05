function stream = is_stream(name)
%IS_STREAM Whether NAME is a pipe, a device or a socket.
stream = strcmp(file_kind(name), 'other');
end
