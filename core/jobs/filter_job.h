// The whole of a running-median filtering job: every signal of an array along one of its
// dimensions, of any numeric class, its padding generated on the fly, cut into pieces that run
// on several threads. The result of each output depends only on its window, so it is the same
// whatever the pieces and the threads.
#ifndef PLORVENT_CORE_JOBS_FILTER_JOB_H
#define PLORVENT_CORE_JOBS_FILTER_JOB_H

#include <cstddef>
#include <cstdint>

#include "core/jobs/sample_types.h"
#include "core/jobs/signal_array.h"
#include "core/support/extended_signal.h"

// Outputs first_output ... first_output+outputs-1 of every signal of x, written to y (x's class,
// laid out as x but with `outputs` samples along the signals' dimension).
struct FilterJob {
  const void *x;
  void *y;
  SampleType type;
  SignalArray signals;
  int64_t first_output;
  int64_t outputs;
  int32_t W2;
  Padding padding;   // a generated one: never kExtensionArrays
  double fill;       // the constant padding, a value of x's type (rounded beyond 2^53)
  int64_t fill_key;  // 64-bit integer types: the fill exactly, as integer_key orders it
  bool include_nan;  // windows holding NaN give not_a_number, and are never computed
  double not_a_number;
  int64_t block;  // the most outputs a piece computes
  int32_t threads;
};

// What a job needs before it runs, decided from the job alone (and, for windows longer than the
// signals, a scan of its samples). A job whose x is null is planned from its shape alone, for
// samples that need no ranks and leave no long window undecided: the least such a job needs.
struct FilterPlan {
  int32_t workers;
  bool ranks;           // 64-bit integers beyond 2^53 in magnitude: filtered by their ranks
  int64_t piece;        // outputs a piece computes (the whole range for ranks or long windows)
  size_t worker_bytes;  // storage for each worker
  // Windows longer than the signals whose result the key order may not decide (a NaN that must
  // be selected, or zeros of both signs) need a window of W samples of their own; that many
  // bytes, or 0.
  size_t selection_bytes;
  // Windows longer than signals of more samples than the counting engine serves: refused.
  bool unserved;
};

FilterPlan plan_filter(const FilterJob &job);

// Runs the job with plan.workers x plan.worker_bytes bytes of storage (aligned for any type).
// Obtains nothing and calls nothing of the host's, on any thread.
void run_filter(const FilterJob &job, const FilterPlan &plan, void *storage);

#endif
