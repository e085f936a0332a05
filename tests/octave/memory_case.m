% One case of memory_bounds.sh. STEP 'prepare' makes the case's inputs and prints the process's
% peak and current address space (KiB) and the bytes the call may take beyond them by the help's
% figures, its result (twice: Octave copies a module's result as the call returns) and the
% thread's own; STEP 'call' makes the inputs alike and then the call, which must succeed.
% Usage: octave-cli memory_case.m MODULE_DIR CASE STEP N
args = argv();
addpath(args{1});
name = args{2};
n = str2double(args{4});
randn('seed', 3);
block = 2^20;
x = zeros(n, 1, 'int8');
for first = 1:block:n  % a block at a time: no temporary as large as the signal
  x(first:min(n, first + block - 1)) = round(10 * randn(min(block, n - first + 1), 1));
end
switch name
  case 'int8 window longer than the signal'
    call = @() plorvent(x, 2 * n + 1, 'symmetric', 'Threads', 1);
    work = 29 * n + 2 * n;
  case 'double window longer than the signal'
    x = double(x);
    call = @() plorvent(x, 2^31 - 1, 'Threads', 1);
    work = 21 * n + 16 * n;
  case 'int8 shrinking windows'
    call = @() plorvent(x, 101, 'shrink', 'Threads', 1);
    work = 16 * block + 250 * 4096 + 2 * n;
  case 'double sample points'
    x = double(x);
    t = cumsum(1 + mod((1:n)', 3));
    call = @() plorvent_movmedian(x, 100, 'SamplePoints', t);
    work = nproc() * (16 * block + 250 * 4096) + 16 * n;
  otherwise
    error('memory_case:unknownCase', 'No case %s.', name);
end
if strcmp(args{3}, 'prepare')
  status = fileread('/proc/self/status');
  kib = @(field) str2double(regexp(status, [field ':\s*(\d+)'], 'tokens', 'once'){1});
  printf('%d %d %d\n', kib('VmPeak'), kib('VmSize'), ceil(work / 1024));
else
  y = call();
  printf('ok\n');
end
