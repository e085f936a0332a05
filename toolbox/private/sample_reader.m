function read = sample_reader(file, id, n)
%SAMPLE_READER A function READ(K) that gives the samples of the signal FILE (N samples, open as
%   ID) at the ascending indices K, as a column. MATLAB reads through a memory map (which it cannot
%   make of an empty file), Octave with FREAD.
read = @(k) read_runs(id, k, n, file);
if ~is_octave() && n > 0
  map = memmapfile(file, 'Format', 'double');
  read = @(k) map.Data(k);
end
end

function samples = read_runs(id, k, n, file)
% Reads each run of consecutive indices in K with one FREAD.
samples = zeros(numel(k), 1);
ends = [find(diff(k) ~= 1); numel(k)];
first = 1;
for r = 1:numel(ends)
  count = ends(r) - first + 1;
  fseek(id, (k(first) - 1) * 8, 'bof');
  [run, got] = fread(id, count, 'double');
  if got ~= count
    require_same_size(id, n, file);
    error('plorvent:readFailed', 'Could not read samples %d to %d.', k(first), k(ends(r)));
  end
  samples(first:ends(r)) = run;
  first = ends(r) + 1;
end
end
