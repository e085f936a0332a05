classdef datetime
  % MATLAB's datetime class as far as the toolbox uses it, for tests in GNU Octave (which has
  % none): datetime(Y, MO, D, H, MI, S) holds points in time, the day and the seconds into it
  % apart, so that times close together far from any origin keep their differences exactly.
  properties (Access = private)
    day = [];
    second = [];
  end
  methods
    function t = datetime(y, mo, d, h, mi, s)
      t.day = datenum(y, mo, d) + 0 * s;
      t.second = 3600 * h + 60 * mi + s + 0 * t.day;
    end
    function d = minus(a, b)
      d = duration(0, 0, 86400 * (a.day - b.day) + (a.second - b.second));
    end
    function t = subsref(t, index)
      if ~strcmp(index(1).type, '()')
        error('datetime: only indexing with () is simulated.');
      end
      t.day = subsref(t.day, index);
      t.second = subsref(t.second, index);
    end
    function yes = isempty(t)
      yes = isempty(t.day);
    end
  end
end
