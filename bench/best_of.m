function t = best_of(repeats, f)
%BEST_OF The shortest of REPEATS timed calls of F (seconds); F's result is taken, so that a
%   function that must return one (plorvent_core) can be timed.
t = Inf;
for r = 1:repeats
  tic;
  y = f();
  t = min(t, toc);
end
end
