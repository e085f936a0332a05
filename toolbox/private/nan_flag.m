function flag = nan_flag(a)
%NAN_FLAG 'omitnan' or 'includenan' where A is one of the NaN flags (also spelled 'omitmissing'
%   and 'includemissing', in any case); '' where A is anything else.
flags = {'omitnan', 'includenan', 'omitmissing', 'includemissing'};
flag = '';
index = matched_choice(a, flags);
if ~isempty(index)
  flag = flags{mod(index - 1, 2) + 1};
end
end
