function yes = is_octave()
%IS_OCTAVE Whether the host is GNU Octave rather than MATLAB, found out once and remembered.
persistent octave
if isempty(octave)
  octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
end
yes = octave;
end
