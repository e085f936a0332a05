% One case of memory_bounds.sh: a public function called as its help's memory statement has it,
% at 10^7 double samples and windows of 101. The peak resident memory the call adds to the
% process (its results included, as the statements count them) must stay within the statement's
% bytes: the results asked for, in the case's count of result-sized arrays, and the work memory
% of the threads the call may take. Prints 'ok' or what it found.
% Usage: octave-cli memory_peak.m MODULE_DIR CASE
args = argv();
addpath(args{1});
name = args{2};
n = 1e7;
mib = 2^20;
rand('seed', 3);
x = rand(n, 1);
x(1:1000:end) = 50;  % outliers to fill
work = nproc() * 17 * mib;  % 16*2^20 + 250*4096 bytes a thread
copies = 1;  % result-sized arrays a result takes
outputs = 1;
subject = x;
switch name
  case 'plorvent_core'
    call = @(x) plorvent_core(x, zeros(50, 1), zeros(50, 1), 50);
    copies = 2;  % the staging array the work fills
    work = mib;
  case 'plorvent'
    call = @(x) plorvent(x, 101);
  case 'plorvent_filter'
    call = @(x) plorvent_filter(x, 101, 0, 0, 1, 0, 2^20, nproc(), Inf);
  case 'plorvent_movmedian'
    call = @(x) plorvent_movmedian(x, 101);
  case 'plorvent_medfilt1'
    call = @(x) plorvent_medfilt1(x, 101);
  case 'plorvent_movmad'
    call = @(x) plorvent_movmad(x, 101);
  case 'plorvent_movquantile'
    call = @(x) plorvent_movquantile(x, 0.9, 101);
  case 'plorvent_movprctile'
    call = @(x) plorvent_movprctile(x, 90, 101);
  case 'plorvent_hampel'
    call = @(x) plorvent_hampel(x, 50);
  case 'plorvent_hampel all outputs'
    call = @(x) plorvent_hampel(x, 50);
    outputs = 4;
  case 'plorvent_isoutlier'
    call = @(x) plorvent_isoutlier(x, 'movmedian', 101);
  case 'plorvent_isoutlier all outputs'
    call = @(x) plorvent_isoutlier(x, 'movmedian', 101);
    outputs = 4;
  case 'plorvent_filloutliers'
    call = @(x) plorvent_filloutliers(x, 'center', 'movmedian', 101);
  case 'plorvent_filloutliers all outputs'
    call = @(x) plorvent_filloutliers(x, 'center', 'movmedian', 101);
    outputs = 5;
  case {'plorvent_filloutliers linear', 'plorvent_filloutliers previous'}
    call = @(x) plorvent_filloutliers(x, name(23:end), 'movmedian', 101);
    work = work + 11 * 8 * n;  % the interpolation's arrays, B among them
    copies = 0;
  case {'plorvent_medfilt2', 'plorvent_medfilt2 15x15', 'plorvent_medfilt2 even'}
    subject = reshape(x(1:3162^2), 3162, 3162);
    sizes = {[3 3], [15 15], [4 4]};
    window = sizes{strcmp(name, {'plorvent_medfilt2', 'plorvent_medfilt2 15x15', ...
                                 'plorvent_medfilt2 even'})};
    call = @(a) plorvent_medfilt2(a, window);
    work = nproc() * 16 * mib;
  case 'plorvent_ordfilt2'
    subject = reshape(x(1:3162^2), 3162, 3162);
    call = @(a) plorvent_ordfilt2(a, 5, true(3));
    work = nproc() * 16 * mib;
  case 'plorvent_file'
    input = [tempname() '.bin'];
    output = [tempname() '.bin'];
    fid = fopen(input, 'w');
    fwrite(fid, x, 'double');
    fclose(fid);
    call = @(x) plorvent_file(input, output, 101);
    work = 5 * 8 * (2^20 + 100) + work;  % arrays of B+W-1 samples at the default B
    copies = 0;
  otherwise
    error('memory_peak:unknownCase', 'No case %s.', name);
end
out = cell(1, outputs);
[out{:}] = call(subject(1:40, 1:min(end, 40)));  % loads the functions, not a long call's memory
clear out;
kib = @(field) str2double(regexp(fileread('/proc/self/status'), [field ':\s*(\d+)'], ...
                                 'tokens', 'once'){1});
before = kib('VmRSS');
fid = fopen('/proc/self/clear_refs', 'w');  % the peak so far forgotten: VmHWM restarts here
fputs(fid, '5');
fclose(fid);
if kib('VmHWM') > before + 1024
  error('memory_peak:noReset', 'The peak resident size could not be restarted.');
end
out = cell(1, outputs);
[out{:}] = call(subject);
added = (kib('VmHWM') - before) * 1024;
results = 0;
for k = 1:outputs
  value = out{k};
  results += getfield(whos('value'), 'bytes');
end
allowed = copies * results + work + 4 * mib;  % and Octave's own small arrays
if added <= allowed
  printf('ok\n');
else
  printf('%.0f MiB added, %.0f allowed (%.0f of results)\n', added / mib, allowed / mib, ...
         results / mib);
end
if exist('input', 'var')
  delete(input);
  delete(output);
end
