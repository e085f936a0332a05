// Runs a moving-median job on worker threads. Double signals stored contiguously, with double
// results, are read and written in place and cut into pieces; any other signal is one task: its
// samples are gathered (converted to double, exactly) into the worker's storage, and its outputs
// staged there and converted to the result's class.
#include "core/jobs/moving_job.h"

#include <algorithm>
#include <type_traits>

#include "core/jobs/worker_threads.h"
#include "core/support/storage_layout.h"

namespace {

// Below this many samples a job stays on the calling thread: starting threads costs more.
const int64_t kFewestSamplesForThreads = 1 << 16;
// Nor is a signal cut into pieces shorter than this.
const int64_t kShortestPiece = 1 << 14;

int64_t signals_of(const MovingJob &job) {
  return job.stride * job.outer;
}

bool in_place(const MovingJob &job) {
  return job.x_type == kDoubleSamples && job.y_type == kDoubleSamples && job.stride == 1;
}

int64_t ceil_div(int64_t a, int64_t b) {
  return (a + b - 1) / b;
}

size_t doubles(int64_t count) {
  return round_up_storage(static_cast<size_t>(count) * sizeof(double));
}

struct Run {
  const MovingJob *job;
  int64_t piece;
  int64_t per_signal;
  size_t worker_bytes;
  char *storage;
};

void gather_signal(const MovingJob &job, int64_t offset, double *out) {
  with_element_type(job.x_type, [&](auto *type) {
    using T = std::remove_pointer_t<decltype(type)>;
    gather_as(static_cast<const T *>(job.x) + offset, job.stride, job.length, kConstantPadding, 0,
              0, job.length, out);
  });
}

void scatter_signal(const MovingJob &job, int64_t offset, const double *values) {
  with_element_type(job.y_type, [&](auto *type) {
    using T = std::remove_pointer_t<decltype(type)>;
    scatter_as(values, job.length, static_cast<T *>(job.y) + offset, job.stride);
  });
}

void run_task(void *context, int32_t worker, int64_t task) {
  const Run &run = *static_cast<const Run *>(context);
  const MovingJob &job = *run.job;
  char *room = run.storage + worker * run.worker_bytes;
  const int64_t signal = task / run.per_signal, piece = task % run.per_signal;
  // Signal (a, b) starts at element a*length*stride + b.
  const int64_t offset = (signal / job.stride) * job.length * job.stride + signal % job.stride;
  if (in_place(job)) {
    const int64_t first = piece * run.piece, last = std::min(job.length, first + run.piece);
    moving_medians(static_cast<const double *>(job.x) + offset, job.length, job.windows, first,
                   last, static_cast<double *>(job.y) + offset + first, room);
    return;
  }
  double *samples = reinterpret_cast<double *>(room);
  double *staged = reinterpret_cast<double *>(room + doubles(job.length));
  gather_signal(job, offset, samples);
  moving_medians(samples, job.length, job.windows, 0, job.length, staged,
                 room + 2 * doubles(job.length));
  scatter_signal(job, offset, staged);
}

}  // namespace

MovingPlan plan_moving(const MovingJob &job) {
  MovingPlan plan = {1, job.length, 0};
  const int64_t signals = signals_of(job);
  if (job.length * signals == 0) return plan;
  if (job.length * signals >= kFewestSamplesForThreads) plan.workers = std::max(1, job.threads);
  if (in_place(job) && plan.workers > 1) {
    const int64_t wanted_per_signal = ceil_div(4 * int64_t{plan.workers}, signals);
    plan.piece =
        std::min(job.length, std::max(kShortestPiece, ceil_div(job.length, wanted_per_signal)));
  }
  const int64_t tasks = signals * ceil_div(job.length, plan.piece);
  plan.workers = static_cast<int32_t>(std::min<int64_t>(plan.workers, tasks));
  plan.worker_bytes = moving_medians_storage_bytes(job.windows, job.length, plan.piece);
  if (!in_place(job)) plan.worker_bytes += 2 * doubles(job.length);
  plan.worker_bytes = round_up_storage(plan.worker_bytes);
  return plan;
}

void run_moving(const MovingJob &job, const MovingPlan &plan, void *storage) {
  if (job.length * signals_of(job) == 0) return;
  Run run = {&job, plan.piece, ceil_div(job.length, plan.piece), plan.worker_bytes,
             static_cast<char *>(storage)};
  run_on_workers(run_task, &run, signals_of(job) * run.per_signal, plan.workers);
}
