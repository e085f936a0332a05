function B = ranked_image(A, domain, order, padding, options, caller, offsets, mean_with_next)
%RANKED_IMAGE The ORDER-th smallest of the samples the logical matrix DOMAIN picks from the
%   window around each sample of every plane of A, beyond the image PADDING ('zeros',
%   'symmetric', or 'indexed': ones for single and double A, zeros otherwise), in A's class
%   (double for logical A with OFFSETS, a double matrix of DOMAIN's size added to the window's
%   samples); computed by the plorvent_filter module, its faults raised under CALLER's prefix.
%   MEAN_WITH_NEXT true: the mean of the ORDER-th and the next instead, as an even window's
%   median is taken.
[threads, budget] = work_limits(options, numel(A));
fill = double(strcmp(padding, 'indexed') && isfloat(A));
args = {'image', A, domain, order, double(strcmp(padding, 'symmetric')), fill, threads, budget};
if nargin >= 7 && ~isempty(offsets)
  args = [args, {'offsets', offsets}];
end
if nargin >= 8 && mean_with_next
  args = [args, {'meannext', 1}];
end
try
  B = plorvent_filter(args{:});
catch err
  rethrow_as(with_budget_advice(err), caller);
end
end
