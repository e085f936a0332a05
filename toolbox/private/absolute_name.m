function name = absolute_name(name)
%ABSOLUTE_NAME The file NAME as it is named from any current folder: taken from this one unless
%   it is rooted already.
if ~is_rooted(name)
  name = fullfile(pwd, name);
end
end
