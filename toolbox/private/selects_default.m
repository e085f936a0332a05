function yes = selects_default(a)
%SELECTS_DEFAULT Whether a positional argument A is [] (any empty numeric array), which stands for
%   its default, as the host's own functions take it.
yes = isnumeric(a) && isempty(a);
end
