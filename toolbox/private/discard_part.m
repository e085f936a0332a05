function discard_part(id, part_file)
%DISCARD_PART Closes ID and deletes PART_FILE, the file written, unless it was moved into place.
close_if_open(id);
if isempty(part_file) || ~isfile(part_file)
  return;
end
if is_octave()
  unlink(part_file);  % Octave's DELETE takes the name as a pattern ([ ] in a folder's name)
else
  delete(part_file);
end
end
