function close_if_open(id)
%CLOSE_IF_OPEN Closes the file ID unless it is closed already.
if any(fopen('all') == id)
  fclose(id);
end
end
