function [value, ok] = number_or_choice(a, choices)
%NUMBER_OR_CHOICE A real numeric or logical scalar A as a full double, or the entry of CHOICES
%   that the text A names (in any case); OK is false when A is neither.
ok = true;
if (isnumeric(a) || islogical(a)) && isscalar(a) && isreal(a)
  value = full(double(a));
  return;
end
index = matched_choice(a, choices);
ok = ~isempty(index);
value = choices(index);
if ok
  value = value{1};
end
end
