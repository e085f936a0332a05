// The whole of a moving-statistic job: every signal of an array along one of its dimensions, of
// any numeric class, cut into pieces that run on several threads. Each output depends only on
// its window, so the result is the same whatever the pieces and the threads.
#ifndef PLORVENT_CORE_JOBS_MOVING_JOB_H
#define PLORVENT_CORE_JOBS_MOVING_JOB_H

#include <cstddef>
#include <cstdint>

#include "core/counted/moving_statistics.h"
#include "core/jobs/sample_types.h"
#include "core/jobs/signal_array.h"

// Outputs first_output ... first_output+outputs-1 of every signal of x. The statistic gives
// statistic_results of them for each output (with the MAD: the MAD, then the window's median);
// the job takes the first `results` of those, result r into y[r], each laid out as x but with
// `outputs` samples along the signals' dimension. The class of the results may differ from x's
// (a mean of two logical samples is not logical); 64-bit integers give their own class, each
// result exact, rounded once (halves away from zero) where it is a mean or between two samples.
struct MovingJob {
  const void *x;
  SampleType x_type;
  SampleType y_type;
  int32_t results;  // 1 ... statistic_results(statistic)
  void *y[kMostStatisticResults];
  SignalArray signals;  // of at most kMostMovingSamples samples each
  int64_t first_output;
  int64_t outputs;
  MovingWindows windows;  // its times, if any, one for each position along the signals
  int64_t fill_key;       // 64-bit integer types: windows.fill exactly, as integer_key orders it
  MovingStatistic statistic;
  int64_t block;  // the most outputs a piece computes
  int32_t threads;
};

// Signals the moving medians serve: their positions and ranks are 32-bit.
const int64_t kMostMovingSamples = 2147483646;

struct MovingPlan {
  int32_t workers;
  int64_t piece;  // outputs a piece computes
  int64_t span;   // the most samples a piece's windows reach
  bool exact;     // 64-bit integers beyond 2^53 in magnitude: counted by their ranks
  size_t worker_bytes;
};

// A job whose x is null is planned from its shape alone, for samples no double misses: the least
// such a job needs.
MovingPlan plan_moving(const MovingJob &job);

// Runs the job with plan.workers x plan.worker_bytes bytes of storage (aligned for any type).
void run_moving(const MovingJob &job, const MovingPlan &plan, void *storage);

#endif
