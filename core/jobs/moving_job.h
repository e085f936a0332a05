// The whole of a moving-median job: every signal of an array along one of its dimensions, of any
// numeric class, on several threads. Each output depends only on its window, so the result is
// the same whatever the pieces and the threads.
#ifndef PLORVENT_CORE_JOBS_MOVING_JOB_H
#define PLORVENT_CORE_JOBS_MOVING_JOB_H

#include <cstddef>
#include <cstdint>

#include "core/counted/moving_medians.h"
#include "core/jobs/sample_types.h"

// The array holds `outer` groups of `length` x `stride` samples, laid out as in FilterJob. The
// result y has x's size; its class may differ (a mean of two logical samples is not logical).
struct MovingJob {
  const void *x;
  SampleType x_type;
  void *y;
  SampleType y_type;
  int64_t length;  // below 2^31
  int64_t stride;
  int64_t outer;
  MovingWindows windows;  // its times, if any, one for each position along the signals
  int32_t threads;
};

struct MovingPlan {
  int32_t workers;
  int64_t piece;  // outputs a piece computes
  size_t worker_bytes;
};

MovingPlan plan_moving(const MovingJob &job);

// Runs the job with plan.workers x plan.worker_bytes bytes of storage (aligned for any type).
void run_moving(const MovingJob &job, const MovingPlan &plan, void *storage);

#endif
