function write_outputs(id, m, first, last, output_file)
%WRITE_OUTPUTS Writes the outputs FIRST ... LAST, M, where the open file ID (OUTPUT_FILE) stands;
%   a write that fails is plorvent:writeFailed.
if fwrite(id, m, 'double') ~= numel(m)
  error('plorvent:writeFailed', 'Could not write samples %d to %d to ''%s''.', first, last, ...
        output_file);
end
end
