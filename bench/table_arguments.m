function [n, repeats] = table_arguments()
%TABLE_ARGUMENTS The arguments of the benchmarks that print tables (MODULE_DIR N REPEATS, as
%   bench/octave_tables.sh passes them): puts the modules' folder on the path and returns N, the
%   signal's length, and REPEATS, the calls of which each time is the best.
args = argv();
addpath(args{1});
n = str2double(args{2});
repeats = str2double(args{3});
end
