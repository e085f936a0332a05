function run_ranges(args, ranges, verbose)
%RUN_RANGES Runs PLORVENT_FILE(ARGS{:}, 'Range', R) for each range R in the cell RANGES, all at
%   once on the host's parallel engine: Octave's parcellfun (package parallel), MATLAB's parfor
%   (Parallel Computing Toolbox, on the current pool or one it opens); without either, one after
%   another after a notice. A range that fails on a worker is run once more here, so that its
%   error is raised with its own identifier (parcellfun passes on neither).
count = numel(ranges);
filter_range = @(r) plorvent_file(args{:}, 'Range', r, 'Verbose', verbose);
done = false(1, count);
switch parallel_engine()
  case 'parcellfun'
    done = parcellfun(count, @(r) filter_range(r) >= 0, ranges, 'VerboseLevel', 0, ...
                      'ErrorHandler', @(varargin) false);
  case 'parfor'
    parfor k = 1:count
      try
        filter_range(ranges{k});
        done(k) = true;
      catch
      end
    end
  otherwise
    warning('plorvent:noParallelEngine', ...
            ['plorvent_file: no parallel engine (Octave''s parallel package or MATLAB''s ' ...
             'Parallel Computing Toolbox); the %d ranges run one after another.'], count);
end
for k = find(~done)
  filter_range(ranges{k});
end
end

function engine = parallel_engine()
engine = 'none';
if is_octave()
  if exist('parcellfun') == 2 || ~isempty(pkg('list', 'parallel'))
    pkg('load', 'parallel');
    engine = 'parcellfun';
  end
elseif license('test', 'Distrib_Computing_Toolbox') && ~isempty(ver('parallel'))
  engine = 'parfor';
end
end
