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

// One result the job hands back: which of the statistic's results (statistic_results) it is,
// and its class.
struct TakenResult {
  int32_t of;
  SampleType type;
};

// Outputs first_output ... first_output+outputs-1 of every signal of x. The statistic gives
// statistic_results of them for each output (with the MAD: the MAD, then the window's median;
// with the outlier tests, see core/counted/statistic.h); the job computes only the `results`
// it names in `taken`, result r into y[r], each laid out as x but with `outputs` samples along
// the signals' dimension. The statistic's values are of class y_type, which may differ from x's
// (a mean of two logical samples is not logical); 64-bit integers give their own class, each
// result exact, rounded once (halves away from zero) where it is a mean or between two samples.
// An outlier test's flags are logical, and its statistics double or single as the host's.
struct MovingJob {
  const void *x;
  SampleType x_type;
  SampleType y_type;
  int32_t results;  // 1 ... statistic_results(statistic)
  TakenResult taken[kMostStatisticResults];
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

// Names the statistic's first `count` results, in order, all of class y_type.
inline void take_first_results(MovingJob *job, int32_t count) {
  job->results = count;
  for (int32_t r = 0; r < count; ++r) job->taken[r] = {r, job->y_type};
}

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
