function filter_on_a_cluster(input, output, w, hosts, connect_options)
%FILTER_ON_A_CLUSTER Running median of a file on several machines that share its folder.
%   FILTER_ON_A_CLUSTER(INPUT, OUTPUT, W, HOSTS) filters the signal in the
%   file INPUT (raw little-endian doubles) into OUTPUT, as
%   PLORVENT_FILE(INPUT, OUTPUT, W) does, with the work cut into ranges of
%   outputs that the machines named in the cell HOSTS filter at once. Every
%   machine must see INPUT and OUTPUT under the same names (a shared file
%   system) and this toolbox under the same folder. Each range is one call
%   PLORVENT_FILE(INPUT, OUTPUT, W, 'Range', [FIRST LAST]) on some machine;
%   together they write the bytes one whole call would.
%
%   GNU Octave (package parallel): start a server on each machine first,
%     octave-cli --eval "pkg load parallel; pserver"
%   (with the authentication data made by parallel_generate_srp_data), or,
%   on a trusted network without encryption, as a user other than root:
%     /usr/libexec/octave-pserver --octave-binary "$(command -v octave-cli)" --no-auth
%   and pass FILTER_ON_A_CLUSTER(..., HOSTS, struct('use_tls', false)).
%   CONNECT_OPTIONS is passed to PCONNECT. The ranges go out with
%   NETCELLFUN, which runs them on each server in as many processes as it
%   has cores.
%
%   MATLAB (Parallel Computing Toolbox): HOSTS names a cluster profile, e.g.
%   {'MyCluster'}; the ranges run in a PARFOR loop on a pool of that
%   cluster, opened when there is none.
%
%   Example, two servers on this machine's loopback (what the tests run):
%     filter_on_a_cluster('/shared/in.bin', '/shared/out.bin', 101, ...
%                         {'localhost', '127.0.0.1'}, struct('use_tls', false));
%
%   See also PLORVENT_FILE, PCONNECT, NETCELLFUN, PARFOR.
if nargin < 5
  connect_options = struct();
end
n = samples_in(input);
toolbox = fileparts(which('plorvent_file'));
if exist('OCTAVE_VERSION', 'builtin')
  pkg('load', 'parallel');
  sockets = pconnect(hosts, connect_options);
  closer = onCleanup(@() sclose(sockets));
  % The servers run Octave sessions of their own: the toolbox goes on each one's path.
  reval(sprintf('addpath(''%s'');', toolbox), sockets(2:end));
  ranges = ranges_of(n, 8 * numel(hosts));
  netcellfun(sockets, @(r) plorvent_file(input, output, w, 'Range', r), ranges, ...
             'UniformOutput', false, 'VerboseLevel', 0);
else
  pool = gcp('nocreate');
  if isempty(pool)
    pool = parpool(hosts{1});
  end
  parfevalOnAll(pool, @addpath, 0, toolbox);
  ranges = ranges_of(n, 4 * pool.NumWorkers);
  parfor k = 1:numel(ranges)
    plorvent_file(input, output, w, 'Range', ranges{k});
  end
end
end

function n = samples_in(file)
info = dir(file);
if numel(info) ~= 1
  error('plorvent:fileNotFound', 'Cannot find ''%s''.', file);
end
n = info.bytes / 8;
end

function ranges = ranges_of(n, count)
% Outputs 1..N cut into at most COUNT ranges of nearly equal length.
count = max(min(count, n), 1);
edges = round(linspace(0, n, count + 1));
ranges = arrayfun(@(k) [edges(k) + 1, edges(k + 1)], 1:count, 'UniformOutput', false);
end
