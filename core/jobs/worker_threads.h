// A fixed set of worker threads that share a list of independent tasks. Plain operating-system
// threads (POSIX threads, or Windows threads), so nothing here can throw or needs unwinding.
#ifndef PLORVENT_CORE_JOBS_WORKER_THREADS_H
#define PLORVENT_CORE_JOBS_WORKER_THREADS_H

#include <cstdint>

// Runs task(context, worker, t) once for every t in 0 ... tasks-1, on `workers` threads: the
// calling thread is worker 0 and the others are started for the call and joined before it
// returns. Which worker runs which task varies from call to call, so a task's result must not
// depend on it (only its storage does). If a thread cannot be started, the threads that did
// start (or the calling thread alone) take its share. No task starts once stop_requested()
// (core/support/interruption.h) says yes.
typedef void (*WorkerTask)(void *context, int32_t worker, int64_t task);
void run_on_workers(WorkerTask task, void *context, int64_t tasks, int32_t workers);

// The most workers run_on_workers starts.
const int32_t kMostWorkers = 256;

#endif
