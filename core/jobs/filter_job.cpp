// Runs a filtering job piece by piece on worker threads.
//
// A piece is a run of outputs of one signal. Double signals stored contiguously are read in
// place through an extended-signal view that generates their padding; any other signal has the
// samples its piece's windows hold gathered (and converted to double, exactly) into the worker's
// own storage, and its outputs staged there and converted back. Signals shorter than the window
// are pieces of their own, served by the long-window engine, so that no storage grows with the
// window. 64-bit integers beyond 2^53 in magnitude are replaced by their ranks among the
// signal's samples, which double holds exactly, and mapped back afterwards.
#include "core/jobs/filter_job.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "core/engines/long_window_medians.h"
#include "core/engines/nan_windows.h"
#include "core/jobs/worker_threads.h"
#include "core/running_median.h"
#include "core/selection/select_middle_by_blocks.h"
#include "core/support/special_values.h"
#include "core/support/storage_layout.h"

namespace {

// Below this many samples a job stays on the calling thread: starting threads costs more.
const int64_t kFewestSamplesForThreads = 1 << 16;

// ---- The job's shape ----

int32_t window_length(const FilterJob &job) {
  return 2 * job.W2 + 1;
}

// Windows longer than the signals: each signal is one piece.
bool windows_exceed_signals(const FilterJob &job) {
  return window_length(job) > job.length;
}

bool is_64_bit_integer(SampleType type) {
  return type == kInt64Samples || type == kUint64Samples;
}

bool can_hold_nan_or_zeros(SampleType type) {
  return type == kDoubleSamples || type == kSingleSamples;
}

// The samples of a 64-bit integer job, each as a signed key of the same order.
int64_t integer_key(const FilterJob &job, int64_t i) {
  if (job.type == kInt64Samples) return static_cast<const int64_t *>(job.x)[i];
  return static_cast<int64_t>(static_cast<const uint64_t *>(job.x)[i] ^ (uint64_t{1} << 63));
}

int64_t fill_key(const FilterJob &job) {
  if (job.type == kInt64Samples) return static_cast<int64_t>(job.fill);
  return static_cast<int64_t>(static_cast<uint64_t>(job.fill) ^ (uint64_t{1} << 63));
}

// Whether some 64-bit integer lies beyond what a double holds exactly.
bool needs_ranks(const FilterJob &job) {
  if (!is_64_bit_integer(job.type)) return false;
  const int64_t total = job.length * job.stride * job.outer;
  const int64_t exact = int64_t{1} << 53;
  for (int64_t i = 0; i < total; ++i) {
    const int64_t key = integer_key(job, i);
    if (job.type == kInt64Samples ? (key > exact || key < -exact)
                                  : static_cast<uint64_t>(key ^ INT64_MIN) > uint64_t(exact)) {
      return true;
    }
  }
  return false;
}

// Reads in place: doubles stored one after another, needing no ranks.
bool reads_in_place(const FilterJob &job, bool ranks) {
  return job.type == kDoubleSamples && job.stride == 1 && !ranks;
}

// ---- Samples in and out ----

// Samples at extended positions t0 ... t0+count-1 of a signal, as doubles.
void gather(const FilterJob &job, int64_t offset, int64_t t0, int64_t count, double *out) {
  with_element_type(job.type, [&](auto *type) {
    using T = std::remove_pointer_t<decltype(type)>;
    gather_as(static_cast<const T *>(job.x) + offset, job.stride, job.length, job.padding, job.fill,
              t0, count, out);
  });
}

void scatter(const FilterJob &job, int64_t offset, const double *values, int64_t count) {
  with_element_type(job.type, [&](auto *type) {
    using T = std::remove_pointer_t<decltype(type)>;
    scatter_as(values, count, static_cast<T *>(job.y) + offset, job.stride);
  });
}

// ---- Ranks of 64-bit integers ----

// Sorts the signal's keys (and the fill's) into `table` and writes each sample's rank to
// `ranks`; returns the fill's rank.
double rank_signal(const FilterJob &job, int64_t offset, int64_t *table, double *ranks) {
  for (int64_t t = 0; t < job.length; ++t) table[t] = integer_key(job, offset + t * job.stride);
  table[job.length] = fill_key(job);
  std::sort(table, table + job.length + 1);
  auto rank_of = [&](int64_t key) {
    return static_cast<double>(std::lower_bound(table, table + job.length + 1, key) - table);
  };
  for (int64_t t = 0; t < job.length; ++t) {
    ranks[t] = rank_of(integer_key(job, offset + t * job.stride));
  }
  return rank_of(fill_key(job));
}

// Writes the samples whose ranks are given, from the table rank_signal sorted.
void scatter_ranks(const FilterJob &job, int64_t offset, const int64_t *table, const double *ranks,
                   int64_t count) {
  for (int64_t j = 0; j < count; ++j) {
    const int64_t key = table[static_cast<int64_t>(ranks[j])];
    if (job.type == kInt64Samples) {
      static_cast<int64_t *>(job.y)[offset + j * job.stride] = key;
    } else {
      static_cast<uint64_t *>(job.y)[offset + j * job.stride] =
          static_cast<uint64_t>(key) ^ (uint64_t{1} << 63);
    }
  }
}

// ---- Pieces and the storage of one worker ----

// Beyond this window length a window of samples is not set aside for every piece: windows
// longer than their signal are served by counting, and only selected when they must be.
const int32_t kLongestWindowAlwaysHeld = 1 << 17;

// Signals shorter than this are taken several to a task, so that each task is worth a thread's
// taking it.
const int64_t kSamplesPerTask = 1 << 14;

// What the pieces of a job look like.
struct Pieces {
  bool ranks;         // 64-bit integers filtered by their ranks
  bool in_place;      // read and written in place
  bool long_windows;  // signals shorter than windows too long to hold: counted, not held
  int64_t length;     // outputs a piece computes
  int64_t per_signal;
  int64_t signals_per_task;  // short signals are taken several at a time
};

struct WorkerRoom {
  double *samples;  // gathered samples (or ranks) of a piece or a signal
  double *staged;   // a piece's outputs, before they are converted and written
  int64_t *table;   // sorted keys, for ranks
  uint8_t *verdict;
  char *engine;
  double *selection;  // a window, for long windows the key order cannot decide
};

// The generated padding of a signal of `length` samples, as its view will have it.
ExtendedSignal signal_view(const FilterJob &job, const double *x, int64_t length, double fill) {
  return {x, nullptr, nullptr, length, job.W2, job.padding, fill};
}

size_t doubles(int64_t count) {
  return round_up_storage(static_cast<size_t>(count) * sizeof(double));
}

// Carves one worker's room from `base` and returns its size (with base null, only the size).
size_t carve_room(const FilterJob &job, const Pieces &pieces, size_t selection_bytes, char *base,
                  WorkerRoom *room) {
  const int32_t W = window_length(job);
  const bool whole_signal = pieces.ranks || pieces.long_windows;
  const int64_t gathered = whole_signal ? job.length : pieces.length + 2 * int64_t{job.W2};
  const ExtendedSignal view = signal_view(job, nullptr, job.length, job.fill);
  size_t sizes[6] = {
      pieces.in_place ? 0 : doubles(gathered),
      pieces.in_place ? 0 : doubles(pieces.length),
      pieces.ranks ? round_up_storage(static_cast<size_t>(job.length + 1) * sizeof(int64_t)) : 0,
      pieces.long_windows ? round_up_storage(static_cast<size_t>(job.length)) : 0,
      pieces.long_windows
          ? long_window_scratch_bytes(view, W, job.length) + long_window_storage_bytes(job.length)
          : nan_windows_storage_bytes(view, W, pieces.length),
      selection_bytes,
  };
  size_t offset = 0;
  char *starts[6];
  for (int r = 0; r < 6; ++r) {
    starts[r] = base ? base + offset : nullptr;
    offset += sizes[r];
  }
  if (room) {
    *room = {reinterpret_cast<double *>(starts[0]),
             reinterpret_cast<double *>(starts[1]),
             reinterpret_cast<int64_t *>(starts[2]),
             reinterpret_cast<uint8_t *>(starts[3]),
             starts[4],
             reinterpret_cast<double *>(starts[5])};
  }
  return offset;
}

int64_t ceil_div(int64_t a, int64_t b) {
  return (a + b - 1) / b;
}

// The outputs a piece computes: a block at most; with several workers, short enough for every
// worker to take several pieces, but none much shorter than a window.
int64_t piece_length(const FilterJob &job, int32_t workers) {
  int64_t length = std::min(job.block, job.length);
  if (workers > 1) {
    const int64_t signals = job.stride * job.outer;
    const int64_t wanted_per_signal = ceil_div(4 * int64_t{workers}, signals);
    const int64_t shorter = ceil_div(job.length, wanted_per_signal);
    const int64_t floor = std::min<int64_t>(job.length, 4 * int64_t{window_length(job)});
    length = std::min(length, std::max(shorter, floor));
  }
  return length;
}

bool has_long_windows(const FilterJob &job) {
  return windows_exceed_signals(job) && window_length(job) > kLongestWindowAlwaysHeld;
}

Pieces pieces_of(const FilterJob &job, const FilterPlan &plan) {
  Pieces p;
  p.ranks = plan.ranks;
  p.in_place = reads_in_place(job, plan.ranks);
  p.long_windows = has_long_windows(job);
  p.length = plan.piece;
  p.per_signal = ceil_div(job.length, p.length);
  p.signals_per_task = p.per_signal > 1 ? 1 : std::max<int64_t>(1, kSamplesPerTask / job.length);
  return p;
}

// Whether some long window may be left undecided by the key order: it must then be selected in
// a window of its own.
bool may_leave_windows_undecided(const FilterJob &job) {
  if (!can_hold_nan_or_zeros(job.type)) return false;
  SpecialsSeen seen = no_specials_seen();
  const int64_t total = job.length * job.stride * job.outer;
  if (job.type == kDoubleSamples) {
    note_specials(seen, static_cast<const double *>(job.x), total);
  } else {
    note_specials(seen, static_cast<const float *>(job.x), total);
  }
  if (job.padding == kConstantPadding) note_special(seen, job.fill);
  return (seen.nan && !job.include_nan) || (seen.negative_zero && seen.positive_zero);
}

// ---- Filtering a piece ----

struct Run {
  const FilterJob *job;
  Pieces pieces;
  size_t room_bytes;
  size_t selection_bytes;
  char *storage;
};

void compute(const FilterJob &job, const ExtendedSignal &e, int64_t first, int64_t last,
             double *out, char *engine) {
  const int32_t W = window_length(job);
  if (job.include_nan && can_hold_nan_or_zeros(job.type)) {
    medians_between_nan_windows(e, W, first, last, job.not_a_number, out, engine);
  } else {
    running_median_range(e, W, first, last, out, engine);
  }
}

// A signal shorter than its windows: counted, then the windows the order cannot decide selected
// (or, holding a NaN, set to NaN).
void compute_long_windows(const FilterJob &job, const ExtendedSignal &e, const WorkerRoom &room,
                          double *out) {
  const int32_t W = window_length(job);
  const size_t scratch = long_window_scratch_bytes(e, W, e.n);
  long_window_medians(e, W, 0, e.n, out, room.verdict, room.engine, room.engine + scratch);
  for (int64_t i = 0; i < e.n; ++i) {
    if (room.verdict[i] == kWindowDecided) continue;
    if (room.verdict[i] == kWindowHoldsNaN && job.include_nan) {
      out[i] = job.not_a_number;
    } else {
      fill_window(room.selection, e, W, i);
      out[i] = select_middle_by_blocks(room.selection, W);
    }
  }
}

// All of one signal at once: ranks, or windows longer than the signal.
void filter_whole_signal(const FilterJob &job, const Pieces &pieces, const WorkerRoom &room,
                         int64_t offset) {
  const double *x = static_cast<const double *>(job.x) + offset;
  double *out = pieces.in_place ? static_cast<double *>(job.y) + offset : room.staged;
  double fill = job.fill;
  if (pieces.ranks) {
    fill = rank_signal(job, offset, room.table, room.samples);
    x = room.samples;
  } else if (!pieces.in_place) {
    gather(job, offset, 0, job.length, room.samples);
    x = room.samples;
  }
  const ExtendedSignal e = signal_view(job, x, job.length, fill);
  if (pieces.long_windows) {
    compute_long_windows(job, e, room, out);
  } else {
    compute(job, e, 0, job.length, out, room.engine);
  }
  if (pieces.ranks) {
    scatter_ranks(job, offset, room.table, out, job.length);
  } else if (!pieces.in_place) {
    scatter(job, offset, out, job.length);
  }
}

// Outputs first ... last-1 of one signal.
void filter_piece(const FilterJob &job, const WorkerRoom &room, bool in_place, int64_t offset,
                  int64_t first, int64_t last) {
  if (in_place) {
    const ExtendedSignal e =
        signal_view(job, static_cast<const double *>(job.x) + offset, job.length, job.fill);
    compute(job, e, first, last, static_cast<double *>(job.y) + offset + first, room.engine);
    return;
  }
  // The piece's windows, padding included, gathered as one run with its extensions.
  const int64_t count = last - first;
  gather(job, offset, first - job.W2, count + 2 * int64_t{job.W2}, room.samples);
  const ExtendedSignal e = with_extension_arrays(room.samples + job.W2, room.samples,
                                                 room.samples + job.W2 + count, count, job.W2);
  compute(job, e, 0, count, room.staged, room.engine);
  scatter(job, offset + first * job.stride, room.staged, count);
}

int64_t task_count(const FilterJob &job, const Pieces &pieces) {
  const int64_t signals = job.stride * job.outer;
  return pieces.per_signal * ceil_div(signals, pieces.signals_per_task);
}

// Piece `piece` of signal `signal`.
void filter_one(const Run &run, const WorkerRoom &room, int64_t signal, int64_t piece) {
  const FilterJob &job = *run.job;
  // Signal (a, b) starts at element a*length*stride + b.
  const int64_t offset = (signal / job.stride) * job.length * job.stride + signal % job.stride;
  if (run.pieces.ranks || run.pieces.long_windows) {
    filter_whole_signal(job, run.pieces, room, offset);
  } else {
    const int64_t first = piece * run.pieces.length;
    const int64_t last = std::min(job.length, first + run.pieces.length);
    filter_piece(job, room, run.pieces.in_place, offset, first, last);
  }
}

// A task is one piece of a signal, or several whole signals.
void run_task(void *context, int32_t worker, int64_t task) {
  const Run &run = *static_cast<const Run *>(context);
  WorkerRoom room;
  carve_room(*run.job, run.pieces, run.selection_bytes, run.storage + worker * run.room_bytes,
             &room);
  const int64_t signals = run.job->stride * run.job->outer;
  const int64_t group = task / run.pieces.per_signal, piece = task % run.pieces.per_signal;
  const int64_t last = std::min(signals, (group + 1) * run.pieces.signals_per_task);
  for (int64_t signal = group * run.pieces.signals_per_task; signal < last; ++signal) {
    filter_one(run, room, signal, piece);
  }
}

int32_t workers_for(const FilterJob &job) {
  const int64_t total = job.length * job.stride * job.outer;
  return total < kFewestSamplesForThreads ? 1 : std::max(1, job.threads);
}

}  // namespace

FilterPlan plan_filter(const FilterJob &job) {
  FilterPlan plan = {1, false, 0, 0, 0, false};
  if (job.length * job.stride * job.outer == 0) return plan;
  if (has_long_windows(job) && job.length > kMostLongWindowOutputs) {
    plan.unserved = true;
    return plan;
  }
  plan.ranks = needs_ranks(job);
  plan.workers = workers_for(job);
  if (has_long_windows(job) && may_leave_windows_undecided(job)) {
    plan.selection_bytes = static_cast<size_t>(window_length(job)) * sizeof(double);
    plan.workers = 1;  // one such window is plenty to ask for
  }
  plan.piece = plan.ranks || has_long_windows(job) ? job.length : piece_length(job, plan.workers);
  const Pieces pieces = pieces_of(job, plan);
  plan.workers = static_cast<int32_t>(std::min<int64_t>(plan.workers, task_count(job, pieces)));
  plan.worker_bytes = carve_room(job, pieces, plan.selection_bytes, nullptr, nullptr);
  return plan;
}

void run_filter(const FilterJob &job, const FilterPlan &plan, void *storage) {
  if (job.length * job.stride * job.outer == 0) return;
  Run run;
  run.job = &job;
  run.pieces = pieces_of(job, plan);
  run.selection_bytes = plan.selection_bytes;
  run.room_bytes = plan.worker_bytes;
  run.storage = static_cast<char *>(storage);
  run_on_workers(run_task, &run, task_count(job, run.pieces), plan.workers);
}
