% Times the toolbox's functions on small inputs, where the time of a call is mostly its argument
% handling in the interpreter: N samples (a column) and a sqrt(N)-square uint8 image. Prints a
% markdown table of microseconds a call, the best of REPEATS rounds of 200 calls, beside
% plorvent_filter called directly with the arguments the image functions pass it.
% Usage: octave-cli call_overhead_octave.m MODULE_DIR N REPEATS
addpath(fileparts(mfilename('fullpath')));  % table_arguments
[n, repeats] = table_arguments();
rand('seed', 27);
x = rand(n, 1);
side = round(sqrt(n));
A = uint8(255 * rand(side));
calls = {'plorvent(x, 5)', @() plorvent(x, 5);
         'plorvent_medfilt1(x, 5)', @() plorvent_medfilt1(x, 5);
         'plorvent_movmedian(x, 5)', @() plorvent_movmedian(x, 5);
         'plorvent_movmad(x, 5)', @() plorvent_movmad(x, 5);
         'plorvent_medfilt2(A)', @() plorvent_medfilt2(A);
         'plorvent_medfilt2(A, [3 3], ''Threads'', 1)', ...
         @() plorvent_medfilt2(A, [3 3], 'Threads', 1);
         'plorvent_medfilt2(A, [3 3], ''symmetric'')', ...
         @() plorvent_medfilt2(A, [3 3], 'symmetric');
         'plorvent_ordfilt2(A, 5, true(3))', @() plorvent_ordfilt2(A, 5, true(3));
         'plorvent_filter(''image'', ...)', ...
         @() plorvent_filter('image', A, true(3), 5, 0, 0, 1, 2^27)};
rounds = 200;
printf('## Microseconds a call (%d samples, %dx%d uint8 image)\n\n', n, side, side);
printf('| call | us |\n|---|---:|\n');
for c = 1:rows(calls)
  f = calls{c, 2};
  for k = 1:20
    f();
  end
  best = Inf;
  for r = 1:repeats
    tic;
    for k = 1:rounds
      f();
    end
    best = min(best, toc / rounds);
  end
  printf('| `%s` | %.0f |\n', calls{c, 1}, 1e6 * best);
end
