function move_into_place(id, part_file, n, output_file)
%MOVE_INTO_PLACE Closes ID and renames the finished PART_FILE to OUTPUT_FILE, replacing it, once
%   every one of the N samples is known to be in it: the writes went out, and the closed file has
%   the size of the signal (a full disk or a file-size limit has been seen to cut a file short
%   with no write reporting it). An empty PART_FILE: ID was OUTPUT_FILE itself, written in place.
written = closed_after_writes(id);
if isempty(part_file)
  if ~written
    error('plorvent:writeFailed', 'Could not write all %d samples to ''%s''.', n, output_file);
  end
  return;  % written in place
end
if ~written || size_of(part_file) ~= 8 * n
  error('plorvent:writeFailed', 'Could not write all %d samples for ''%s''; it was not replaced.', ...
        n, output_file);
end
if is_octave()
  [status, message] = rename(part_file, output_file);
  moved = status == 0;
else
  [moved, message] = movefile(part_file, output_file, 'f');
end
if ~moved
  error('plorvent:moveFailed', 'Could not replace ''%s'' by the filtered samples: %s', ...
        output_file, message);
end
end

function bytes = size_of(file)
% The size in bytes of FILE, or -1 if it cannot be opened.
bytes = -1;
id = fopen(file, 'r');
if id >= 0
  bytes = open_file_bytes(id);
  fclose(id);
end
end
