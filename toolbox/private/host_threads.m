function threads = host_threads()
%HOST_THREADS The number of computational threads of the host (MAXNUMCOMPTHREADS in MATLAB,
%   NPROC in Octave), from 1 to 256: the worker threads a compiled job runs on by default.
if is_octave()
  threads = nproc();
else
  threads = maxNumCompThreads();
end
threads = min(max(threads, 1), 256);
end
