function [is_text, text] = text_value(a)
%TEXT_VALUE Whether A is text, and its characters: a character row (or '') or a string scalar,
%   which MATLAB users get by typing double quotes. TEXT is then a character row.
if ischar(a)
  is_text = isrow(a) || isempty(a);
elseif isa(a, 'string') && isscalar(a)
  a = char(a);
  is_text = true;
else
  is_text = false;
end
text = a;
end
