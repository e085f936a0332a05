// What both jobs share: where the signals of an array lie, their samples in and out of double,
// and how their outputs are cut into pieces that run on worker threads. The result of each
// output depends only on its window, so it is the same whatever the pieces and the threads.
#ifndef PLORVENT_CORE_JOBS_SIGNAL_ARRAY_H
#define PLORVENT_CORE_JOBS_SIGNAL_ARRAY_H

#include <algorithm>
#include <cstdint>

#include "core/jobs/sample_types.h"
#include "core/support/extended_signal.h"

// ---- Layout ----

// An array seen as signals along one of its dimensions: `outer` groups of `length` x `stride`
// samples. Sample t of signal (a, b), a < outer and b < stride, is element
// a*length*stride + t*stride + b. Along the first dimension stride is 1; along dimension d it
// is the product of the sizes before d.
struct SignalArray {
  int64_t length;
  int64_t stride;
  int64_t outer;
};

// The signals of an array of `ndim` dimensions of sizes dims[] along dimension dim (1-based, any
// size: every dimension past the last has size 1).
template <class Size>
SignalArray signals_along(const Size *dims, int64_t ndim, double dim) {
  const int64_t along = static_cast<int64_t>(std::min(dim, static_cast<double>(ndim) + 1)) - 1;
  SignalArray a = {1, 1, 1};
  for (int64_t d = 0; d < ndim; ++d) {
    const int64_t size = static_cast<int64_t>(dims[d]);
    if (d < along) {
      a.stride *= size;
    } else if (d == along) {
      a.length = size;
    } else {
      a.outer *= size;
    }
  }
  return a;
}

inline int64_t signal_count(const SignalArray &a) {
  return a.stride * a.outer;
}

inline int64_t sample_count(const SignalArray &a) {
  return a.length * a.stride * a.outer;
}

// The element holding sample 0 of signal s (0 <= s < signal_count).
inline int64_t signal_start(const SignalArray &a, int64_t s) {
  return (s / a.stride) * a.length * a.stride + s % a.stride;
}

// The same signals with `length` samples each: the layout of a result that holds a range of
// each signal's outputs.
inline SignalArray with_length(const SignalArray &a, int64_t length) {
  return {length, a.stride, a.outer};
}

// ---- Samples in and out of double ----

// Samples at positions t0 ... t0+count-1 of the signal whose sample 0 is element `start` of x,
// as doubles; positions outside 0 ... length-1 are the padding's (never kExtensionArrays).
void gather_samples(SampleType type, const void *x, const SignalArray &a, int64_t start,
                    Padding padding, double fill, int64_t t0, int64_t count, double *out);

// Writes values[0 ... count-1], converted to `type`, to elements start, start+stride, ... of y.
void scatter_samples(SampleType type, void *y, int64_t stride, int64_t start, const double *values,
                     int64_t count);

// Whether some of the `count` samples of x is a 64-bit integer beyond 2^53 in magnitude, which
// no double holds exactly.
bool holds_beyond_doubles(SampleType type, const void *x, int64_t count);

// ---- 64-bit integers beyond doubles, computed by their ranks ----

// Element i of a 64-bit integer array x, or a value of its class given as a double (which
// holds it exactly), as a signed key of the same order.
int64_t integer_key(SampleType type, const void *x, int64_t i);
int64_t integer_key_of(SampleType type, double value);

// The value a key stands for, as the nearest double; and whether that value lies beyond 2^53
// in magnitude, where no double holds every value.
double value_of_key(SampleType type, int64_t key);
bool key_beyond_doubles(SampleType type, int64_t key);

// Sorts into `table` the keys of `count` samples of x (element `start`, then `stride` apart)
// and, when `with_fill`, `fill_key`; writes each sample's rank among them to ranks[] and
// returns how many keys the table holds (count, or count+1).
int64_t rank_integers(SampleType type, const void *x, int64_t start, int64_t stride, int64_t count,
                      bool with_fill, int64_t fill_key, int64_t *table, double *ranks);

// The rank of `key` among the `keys` sorted keys of `table`: the first place that holds it.
inline double rank_in(const int64_t *table, int64_t keys, int64_t key) {
  return static_cast<double>(std::lower_bound(table, table + keys, key) - table);
}

// ---- Threads and pieces ----

// The most outputs a piece computes unless the caller says otherwise.
const int64_t kDefaultBlock = int64_t{1} << 20;

// Below this many samples a job stays on the calling thread: starting threads costs more.
const int64_t kFewestSamplesForThreads = 1 << 16;

// Signals shorter than this are taken several to a task, so that a task is worth a thread.
const int64_t kSamplesPerTask = 1 << 14;

inline int64_t ceil_div(int64_t a, int64_t b) {
  return (a + b - 1) / b;
}

// The workers a job of `samples` samples runs on when `threads` are allowed.
int32_t workers_for(int64_t samples, int32_t threads);

// The outputs a piece computes: at most `block` of them; with several workers, short enough for
// every worker to take several pieces, but none shorter than `shortest` (a piece much shorter
// than its windows costs more than it computes).
int64_t piece_length(int64_t outputs, int64_t signals, int32_t workers, int64_t block,
                     int64_t shortest);

// A job's outputs (`outputs` of each of `signals` signals) cut into tasks: a piece of at most
// `piece` outputs of one signal, or several whole signals when a signal is one piece.
struct TaskGrid {
  int64_t signals;
  int64_t outputs;
  int64_t piece;
  int64_t per_signal;
  int64_t signals_per_task;
};

TaskGrid task_grid(int64_t signals, int64_t outputs, int64_t piece);
int64_t task_count(const TaskGrid &grid);

// Outputs first ... last-1 (0 <= first < last <= outputs) of signal `signal`.
struct Piece {
  int64_t signal;
  int64_t first;
  int64_t last;
};

// Runs piece_task(context, worker, piece) for every piece of the grid on `workers` threads.
typedef void (*PieceTask)(void *context, int32_t worker, const Piece &piece);
void run_pieces(const TaskGrid &grid, int32_t workers, PieceTask piece_task, void *context);

#endif
