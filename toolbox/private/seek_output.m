function seek_output(id, first, output_file)
%SEEK_OUTPUT Positions ID at output FIRST of OUTPUT_FILE: a file written from its start (maybe a
%   pipe) is there already; a file a range is written into holds every position the range may
%   name.
if first > 1 && fseek(id, (first - 1) * 8, 'bof') ~= 0
  error('plorvent:writeFailed', 'Could not reach sample %d of ''%s''.', first, output_file);
end
end
