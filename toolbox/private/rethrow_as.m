function rethrow_as(err, caller)
%RETHROW_AS Raises ERR again; an error of a compiled module (plorvent_filter:..., plorvent_core:...)
%   under CALLER's prefix instead, the part after the colon kept, so that users meet the
%   identifiers of the function they called.
id = regexprep(err.identifier, '^plorvent_(filter|core):', [caller ':']);
if ~strcmp(id, err.identifier)
  error(id, '%s', err.message);
end
rethrow(err);
end
