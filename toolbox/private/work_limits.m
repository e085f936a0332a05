function [threads, budget] = work_limits(options, elements)
%WORK_LIMITS The worker threads and the work-memory budget (bytes) of a call whose OPTIONS
%   'Threads' and 'MemoryBudget' may be empty, for an array of ELEMENTS elements: by default the
%   host's computational threads and max(2^27, 32*ELEMENTS) bytes.
threads = options.Threads;
if isempty(threads)
  threads = host_threads();
end
budget = options.MemoryBudget;
if isempty(budget)
  budget = max(2^27, 32 * elements);
end
end
