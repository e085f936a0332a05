% The cluster example on loopback: a file filtered by netcellfun over two cluster nodes on this
% machine ('localhost' and '127.0.0.1', a server process each), compared byte for byte with one
% whole call. Run by cluster_ranges.sh, which starts and stops the server.
% Run: octave-cli cluster_ranges.m MODULE_DIR EXAMPLES_DIR WORK_DIR
args = argv();
addpath(args{end - 2});
addpath(args{end - 1});
cd(args{end});
rand('seed', 3);
x = randn(300000, 1);
x(rand(size(x)) < 0.001) = NaN;
fid = fopen('in.bin', 'w', 'ieee-le');
fwrite(fid, x, 'double');
fclose(fid);
input = fullfile(pwd, 'in.bin');
output = fullfile(pwd, 'out.bin');
tic;
filter_on_a_cluster(input, output, 101, {'localhost', '127.0.0.1'}, struct('use_tls', false));
fid = fopen(output, 'r', 'ieee-le');
y = fread(fid, Inf, 'double');
fclose(fid);
same = isequal(typecast(y, 'uint64'), typecast(plorvent(x, 101), 'uint64'));
outcomes = {'DIFFERENT bytes from', 'the same bytes as'};
printf('cluster of two nodes on loopback: %s one whole call (%.1f s)\n', outcomes{same + 1}, toc);
exit(double(~same));
