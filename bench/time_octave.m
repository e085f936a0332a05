% Times one Octave-side running median on one signal and window length. Prints the seconds of
% each call, measured with tic/toc around the call alone, on one line "seconds t1 t2 ...", and
% writes the first call's result as raw float64 to RESULT_FILE ("-" for none). Stops repeating
% once one call takes longer than LIMIT seconds.
% Usage: octave-cli ... time_octave.m MODULE_DIRS IMPL DATA_FILE N W REPEATS LIMIT RESULT_FILE
% MODULE_DIRS is a pathsep-separated list of folders holding the modules.
args = argv();
addpath(args{1});
impl = args{2};
n = str2double(args{4});
W = str2double(args{5});
repeats = str2double(args{6});
limit = str2double(args{7});
result_file = args{8};

fid = fopen(args{3}, 'r');
x = fread(fid, n, 'double');
fclose(fid);

W2 = (W - 1) / 2;
switch impl
  case {'plorvent_core', 'plorvent_core_reference'}
    % Zero extensions of length W2, as the peers pad with zeros.
    run_median = str2func(impl);
    call_args = {x, zeros(W2, 1), zeros(W2, 1), W2};
  case 'medfilt1'
    pkg load signal
    run_median = @medfilt1;
    call_args = {x, W};
  otherwise
    error('time_octave:unknownImplementation', 'Unknown implementation %s.', impl);
end

% At least `repeats` runs, and up to 10 while they take under 2 s in all (as for the Python
% peers: fast calls vary with the allocator's state from call to call).
seconds = [];
r = 0;
while r < repeats || (r < 10 && sum(seconds) < 2)
  r += 1;
  tic;
  m = run_median(call_args{:});
  seconds(end + 1) = toc;
  if r == 1 && !strcmp(result_file, '-')
    fid = fopen(result_file, 'w');
    fwrite(fid, m, 'double');
    fclose(fid);
  end
  if seconds(end) > limit
    break;
  end
end
printf('seconds%s\n', sprintf(' %.9g', seconds));
