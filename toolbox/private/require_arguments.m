function require_arguments(inputs, outputs, counts, caller, usage)
%REQUIRE_ARGUMENTS Refuses a call of CALLER with INPUTS arguments and OUTPUTS results that
%   COUNTS = [LEAST MOST MOST_RESULTS] do not allow (MOST is Inf where the arguments after the
%   first LEAST are read by their grammar): too few arguments CALLER:notEnoughInputs, too many
%   CALLER:tooManyInputs, too many results CALLER:tooManyOutputs, the message showing USAGE.
if inputs < counts(1)
  error([caller ':notEnoughInputs'], 'Not enough input arguments. Usage: %s.', usage);
end
if inputs > counts(2)
  error([caller ':tooManyInputs'], 'Too many input arguments (%d). Usage: %s.', inputs, usage);
end
if outputs > counts(3)
  error([caller ':tooManyOutputs'], 'Too many output arguments (%d). Usage: %s.', outputs, usage);
end
end
