function index = matched_choice(a, choices, abbreviated)
%MATCHED_CHOICE The index of the entry of the cell CHOICES that the text A names, ignoring case;
%   with ABBREVIATED true also by a prefix that only one entry starts with, as MATLAB matches
%   option names. Empty when A is not text or names no entry (or, abbreviated, several).
[is_text, text] = text_value(a);
index = [];
if ~is_text || isempty(text)
  return;
end
index = find(strcmpi(text, choices), 1);
if isempty(index) && nargin >= 3 && abbreviated
  index = find(strncmpi(text, choices, numel(text)));
  if numel(index) ~= 1
    index = [];
  end
end
end
