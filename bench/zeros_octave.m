% Times plorvent on a signal holding zeros of both signs (round(randn(n, 1)): rounding small
% negative samples gives -0, as any quantised signal does) against the same signal without -0
% (abs of it), for each window length, by default and with 'omitnan', on one thread. Prints a
% markdown table of the best of REPEATS calls each (seconds) and the ratios.
% Usage: octave-cli zeros_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % best_of, table_arguments
[n, repeats] = table_arguments();
randn('seed', 11);
signed = round(randn(n, 1));
unsigned = abs(signed);
printf('| w | mode | both zeros | +0 only | ratio |\n|---:|---|---:|---:|---:|\n');
for w = [3 101 1001 10001 n + 1]
  for mode = {{}, {'omitnan'}}
    both = best_of(repeats, @() plorvent(signed, w, mode{1}{:}, 'Threads', 1));
    plus = best_of(repeats, @() plorvent(unsigned, w, mode{1}{:}, 'Threads', 1));
    printf('| %d | %s | %.4f | %.4f | %.2f |\n', w, strjoin([{'default'}, mode{1}], ' '), ...
           both, plus, both / plus);
  end
end
