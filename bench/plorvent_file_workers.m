% One process of bench/plorvent_file.sh: filters INPUT into OUTPUT with window W by one
% plorvent_file call with 'Workers', WORKERS (0: no call, the baseline of an idle session with
% the parallel package loaded) and prints the call's seconds.
% Usage: octave-cli ... plorvent_file_workers.m MODULE_DIR INPUT OUTPUT W WORKERS
args = argv();
addpath(args{1});
pkg('load', 'parallel');
workers = str2double(args{5});
if workers > 0
  tic;
  plorvent_file(args{2}, args{3}, str2double(args{4}), 'Workers', workers, 'Verbose', false);
  printf('%.3f\n', toc);
end
