function varargout = as_floating(varargin)
%AS_FLOATING Each argument as it is when single or double, as double when an integer: the
%   statistics of 64-bit integers beyond 2^53, which the module computes exactly in their class
%   (so that detection and fills are exact), come back as the doubles the outlier functions
%   return.
varargout = varargin;
for i = find(cellfun(@isinteger, varargin))
  varargout{i} = double(varargin{i});
end
end
