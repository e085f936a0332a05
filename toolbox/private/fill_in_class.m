function fill = fill_in_class(x, fill)
%FILL_IN_CLASS The padding constant FILL (a double) as X's class holds it, passed on as a double:
%   rounded and saturated for integers (NaN gives 0), rounded to single for single. Logical X
%   keeps FILL as it is; its callers decide what a logical signal takes.
if ~isa(x, 'double') && ~islogical(x)
  fill = double(cast(fill, class(x)));
end
end
