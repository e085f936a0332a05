function [value, ok] = number_or_choice(a, choices)
%NUMBER_OR_CHOICE A real numeric or logical scalar A as a full double (int64 and uint64 kept in
%   their class, whose values a double does not all hold), or the entry of CHOICES that the text A
%   names (in any case); OK is false when A is neither.
ok = true;
if (isnumeric(a) || islogical(a)) && isscalar(a) && isreal(a)
  value = full(double(a));
  if isa(a, 'int64') || isa(a, 'uint64')
    value = a;
  end
  return;
end
index = matched_choice(a, choices);
ok = ~isempty(index);
value = choices(index);
if ok
  value = value{1};
end
end
