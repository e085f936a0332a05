classdef string
  % MATLAB's string class as far as the toolbox uses it, for tests in GNU Octave (which has
  % none): string('abc') is a string scalar, string({'a', 'b'}) an array of two.
  properties (Access = private)
    texts = {};
  end
  methods
    function s = string(text)
      if ischar(text)
        text = {text};
      end
      s.texts = text;
    end
    function yes = isscalar(s)
      yes = numel(s.texts) == 1;
    end
    function text = char(s)
      text = char(s.texts);
    end
  end
end
