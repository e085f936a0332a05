function require_same_size(id, n, file)
%REQUIRE_SAME_SIZE Refuses (plorvent:inputChanged) the input FILE, open as ID, unless it still
%   holds N samples: samples read from a file that grows or shrinks meanwhile are no longer one
%   signal, and the blocks already written may come from another version of it.
bytes = open_file_bytes(id);
if bytes ~= 8 * n
  error('plorvent:inputChanged', ...
        '''%s'' changed while it was read: it held %d bytes, now %d.', file, 8 * n, bytes);
end
end
