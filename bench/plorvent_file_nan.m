% Times plorvent_file on a file of N random doubles, clean and with 1% of the samples NaN (the
% default 'includenan' mode), for several window lengths; prints a markdown table of the best of
% REPEATS calls each (seconds) and the ratio of the two.
% Usage: octave-cli plorvent_file_nan.m MODULE_DIR N REPEATS FOLDER
args = argv();
addpath(args{1});
addpath(fileparts(mfilename('fullpath')));  % best_of
n = str2double(args{2});
repeats = str2double(args{3});
input = fullfile(args{4}, 'nan_in.bin');
output = fullfile(args{4}, 'nan_out.bin');

function write_samples(file, x)
  fid = fopen(file, 'w', 'ieee-le');
  fwrite(fid, x, 'double');
  fclose(fid);
end

rand('seed', 5);
clean = rand(n, 1);
dropouts = clean;
dropouts(rand(n, 1) < 0.01) = NaN;
printf('| w | clean file | 1%% NaN | NaN / clean |\n|---:|---:|---:|---:|\n');
for w = [101 1001 10001]
  write_samples(input, clean);
  t_clean = best_of(repeats, @() plorvent_file(input, output, w));
  write_samples(input, dropouts);
  t_nan = best_of(repeats, @() plorvent_file(input, output, w));
  printf('| %d | %.3f | %.3f | %.2f |\n', w, t_clean, t_nan, t_nan / t_clean);
end
delete(input, output);
