function rethrow_as(err, caller)
%RETHROW_AS Raises ERR again; an error of a compiled module (plorvent_filter:..., plorvent_core:...)
%   under CALLER's prefix instead, the part after the colon kept and the module's name taken off
%   the message, so that users meet the identifiers of the function they called.
inner = '^plorvent_(filter|core)';
if isempty(regexp(err.identifier, [inner ':'], 'once'))
  rethrow(err);
end
error(regexprep(err.identifier, inner, caller), '%s', regexprep(err.message, [inner ': '], ''));
end
