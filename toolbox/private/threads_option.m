function threads = threads_option(value, caller)
%THREADS_OPTION The value of option 'Threads' (worker threads, 1 to 256) as a double;
%   CALLER:invalidOptionValue otherwise.
threads = whole_option(value, 'Threads', 1, 256, caller);
end
