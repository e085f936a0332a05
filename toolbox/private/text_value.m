function [is_text, text] = text_value(a)
%TEXT_VALUE Whether A is text, and its characters: a character row (or '') or a string scalar,
%   which MATLAB users get by typing double quotes. TEXT is then a character row.
if isa(a, 'string') && isscalar(a)
  a = char(a);
end
is_text = ischar(a) && (isrow(a) || isempty(a));
text = a;
end
