% A sine with impulsive spikes, cleaned by plorvent_core with a window of 5. The extensions
% repeat the edge samples. Run: octave-cli examples/spike_demo.m build/linux/octave
args = argv();
addpath(args{end});

t = (0:19)' / 20;
clean = sin(2 * pi * t);
x = clean;
x([4 9 15]) = [3; -2.5; 4];  % spikes
W2 = 2;
m = plorvent_core(x, repmat(x(1), W2, 1), repmat(x(end), W2, 1), W2);

printf('  %-3s %9s %9s %9s\n', 'i', 'input', 'median', 'clean');
printf('  %-3d %9.4f %9.4f %9.4f\n', [(1:numel(x)); x'; m'; clean']);
printf('largest error: input %.4f, median %.4f\n', max(abs(x - clean)), max(abs(m - clean)));
