classdef duration
  % MATLAB's duration class as far as the toolbox uses it, for tests in GNU Octave (which has
  % none): duration(H, MI, S) holds the lengths of time H hours, MI minutes and S seconds.
  properties (Access = private)
    total = [];  % seconds
  end
  methods
    function d = duration(h, mi, s)
      d.total = 3600 * h + 60 * mi + s;
    end
    function s = seconds(d)
      s = d.total;
    end
  end
end
