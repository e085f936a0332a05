// Worker threads taking tasks from a shared counter: each takes the next task index until none
// is left, so uneven tasks still share the work evenly.
#include "core/jobs/worker_threads.h"

#include <atomic>

#include "core/support/interruption.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace {

struct SharedTasks {
  WorkerTask task;
  void *context;
  int64_t tasks;
  std::atomic<int64_t> next;
};

struct Worker {
  SharedTasks *shared;
  int32_t index;
};

void take_tasks(SharedTasks *shared, int32_t worker) {
  while (!stop_requested()) {
    const int64_t t = shared->next.fetch_add(1, std::memory_order_relaxed);
    if (t >= shared->tasks) return;
    shared->task(shared->context, worker, t);
  }
}

#if defined(_WIN32)
typedef HANDLE ThreadHandle;

DWORD WINAPI worker_main(LPVOID argument) {
  Worker *w = static_cast<Worker *>(argument);
  take_tasks(w->shared, w->index);
  return 0;
}

bool start_thread(ThreadHandle *thread, Worker *w) {
  *thread = CreateThread(nullptr, 0, worker_main, w, 0, nullptr);
  return *thread != nullptr;
}

void join_thread(ThreadHandle thread) {
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}
#else
typedef pthread_t ThreadHandle;

void *worker_main(void *argument) {
  Worker *w = static_cast<Worker *>(argument);
  take_tasks(w->shared, w->index);
  return nullptr;
}

bool start_thread(ThreadHandle *thread, Worker *w) {
  return pthread_create(thread, nullptr, worker_main, w) == 0;
}

void join_thread(ThreadHandle thread) {
  pthread_join(thread, nullptr);
}
#endif

}  // namespace

void run_on_workers(WorkerTask task, void *context, int64_t tasks, int32_t workers) {
  SharedTasks shared;
  shared.task = task;
  shared.context = context;
  shared.tasks = tasks;
  shared.next.store(0, std::memory_order_relaxed);
  if (workers > kMostWorkers) workers = kMostWorkers;
  if (workers > tasks) workers = static_cast<int32_t>(tasks);
  ThreadHandle threads[kMostWorkers];
  Worker started[kMostWorkers];
  int32_t running = 0;
  for (int32_t w = 1; w < workers; ++w) {
    started[running] = {&shared, w};
    if (start_thread(&threads[running], &started[running])) ++running;
  }
  take_tasks(&shared, 0);
  for (int32_t t = 0; t < running; ++t) join_thread(threads[t]);
}
