function require_inputs(given, needed, caller, usage)
%REQUIRE_INPUTS Refuses a call with fewer than NEEDED arguments, with the identifier
%   CALLER:notEnoughInputs and a message showing the call's USAGE.
if given < needed
  error([caller ':notEnoughInputs'], 'Not enough input arguments. Usage: %s.', usage);
end
end
