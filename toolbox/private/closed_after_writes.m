function written = closed_after_writes(id)
%CLOSED_AFTER_WRITES Closes ID and tells whether every write to it went out. Writes are buffered,
%   and the last ones go out as ID is flushed, which Octave's FFLUSH and FCLOSE do without telling
%   whether they could; its FSEEK tells, as it flushes before it moves (on a pipe it then fails to
%   move, errno ESPIPE, once the buffer went out).
[~, error_number] = ferror(id);
written = error_number == 0;
if is_octave()
  written = written && (fseek(id, 0, 'cof') == 0 || errno() == errno('ESPIPE'));
end
written = fclose(id) == 0 && written;
end
