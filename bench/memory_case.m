% One process of bench/memory.sh: prepares the input of a case and, when STEP is 'call', makes
% the call being measured. With STEP 'baseline' it does everything but the call, so that the
% difference of the two processes' peak memory is the call's own.
% Usage: octave-cli ... memory_case.m MODULE_DIR CASE STEP N W BLOCK FILE
%   CASE: core, plorvent, plorvent_blocks, plorvent_file, or write_file (writes N random
%   samples to FILE, a block at a time, for the plorvent_file case); movmedian, hampel (its
%   first output) and hampel_all (all four) with a window of W samples, which print the call's
%   seconds
args = argv();
% All `count` results of f(varargin{:}), held until it returns.
function results = all_outputs(f, count, varargin)
  results = cell(1, count);
  [results{:}] = f(varargin{:});
end

addpath(args{1});
name = args{2};
call = strcmp(args{3}, 'call');
n = str2double(args{4});
w = str2double(args{5});
block = str2double(args{6});
file = args{7};

randn('state', 7);
switch name
  case 'write_file'
    fid = fopen(file, 'w', 'ieee-le');
    for first = 1:block:n
      fwrite(fid, randn(min(block, n - first + 1), 1), 'double');
    end
    fclose(fid);
  case 'core'
    x = randn(n, 1);
    extension = zeros((w - 1) / 2, 1);
    if call
      m = plorvent_core(x, extension, extension, (w - 1) / 2);
    end
  case 'plorvent'
    x = randn(n, 1);
    if call
      y = plorvent(x, w);
    end
  case 'plorvent_whole'
    x = randn(n, 1);
    if call
      y = plorvent(x, w, 'BlockSize', n);
    end
  case 'plorvent_blocks'
    x = randn(n, 1);
    if call
      y = plorvent(x, w, 'BlockSize', block);
    end
  case 'plorvent_file'
    if call
      plorvent_file(file, [file '.out'], w, 'BlockSize', block);
    end
  case {'movmedian', 'hampel', 'hampel_all'}
    x = randn(n, 1);
    calls = struct('movmedian', @() plorvent_movmedian(x, w), ...
                   'hampel', @() plorvent_hampel(x, (w - 1) / 2), ...
                   'hampel_all', @() all_outputs(@plorvent_hampel, 4, x, (w - 1) / 2));
    f = calls.(name);
    if call
      % The module loaded first, on a few samples, so that the time is the call's alone.
      plorvent_movmedian(1:3, 3);
      started = tic();
      y = f();
      printf('%.4f\n', toc(started));
    end
  otherwise
    error('memory_case:unknownCase', 'Unknown case %s.', name);
end
