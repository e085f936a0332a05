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

#include "core/engines/long_window_medians.h"
#include "core/engines/nan_windows.h"
#include "core/running_median.h"
#include "core/selection/select_middle_by_blocks.h"
#include "core/support/interruption.h"
#include "core/support/nan_and_zeros.h"
#include "core/support/storage_layout.h"

namespace {

// ---- The job's shape ----

int32_t window_length(const FilterJob &job) {
  return 2 * job.W2 + 1;
}

// Beyond this window length a window of samples is not set aside for every piece: windows
// longer than their signal are served by counting, and only selected when they must be.
const int32_t kLongestWindowAlwaysHeld = 1 << 17;

// Windows longer than the signals, too long to hold: each signal is one piece, counted.
bool has_long_windows(const FilterJob &job) {
  return window_length(job) > job.signals.length && window_length(job) > kLongestWindowAlwaysHeld;
}

bool needs_ranks(const FilterJob &job) {
  return (job.x && holds_beyond_doubles(job.type, job.x, sample_count(job.signals))) ||
         (job.padding == kConstantPadding && key_beyond_doubles(job.type, job.fill_key));
}

// Reads in place: doubles stored one after another, needing no ranks.
bool reads_in_place(const FilterJob &job, bool ranks) {
  return job.type == kDoubleSamples && job.signals.stride == 1 && !ranks;
}

// Windows holding NaN give NaN, and zero medians are signed by count; otherwise (NaN raw, or
// a class without NaN) every output has the per-window selection's bits.
bool counts_zeros(const FilterJob &job) {
  return job.include_nan && is_floating_point(job.type);
}

// Whether some long window may be left undecided by the key order: it must then be selected in
// a window of its own.
bool may_leave_windows_undecided(const FilterJob &job) {
  if (counts_zeros(job) || !is_floating_point(job.type) || !job.x) return false;
  SpecialsSeen seen = no_specials_seen();
  const int64_t total = sample_count(job.signals);
  if (job.type == kDoubleSamples) {
    note_specials(seen, static_cast<const double *>(job.x), total);
  } else {
    note_specials(seen, static_cast<const float *>(job.x), total);
  }
  if (job.padding == kConstantPadding) note_special(seen, job.fill);
  return !key_order_decides(seen);
}

// ---- Ranks of 64-bit integers ----

// Sorts the signal's keys (and the fill's) into `table` and writes each sample's rank to
// `ranks`; returns the fill's rank.
double rank_signal(const FilterJob &job, int64_t start, int64_t *table, double *ranks) {
  const int64_t keys = rank_integers(job.type, job.x, start, job.signals.stride, job.signals.length,
                                     true, job.fill_key, table, ranks);
  return rank_in(table, keys, job.fill_key);
}

// Writes the samples whose ranks are given, from the table rank_signal sorted.
void scatter_ranks(const FilterJob &job, int64_t start, const int64_t *table, const double *ranks,
                   int64_t count) {
  const int64_t stride = job.signals.stride;
  for (int64_t j = 0; j < count; ++j) {
    const int64_t key = table[static_cast<int64_t>(ranks[j])];
    if (job.type == kInt64Samples) {
      static_cast<int64_t *>(job.y)[start + j * stride] = key;
    } else {
      static_cast<uint64_t *>(job.y)[start + j * stride] =
          static_cast<uint64_t>(key) ^ (uint64_t{1} << 63);
    }
  }
}

// ---- The pieces and the storage of one worker ----

struct Pieces {
  bool ranks;         // 64-bit integers filtered by their ranks
  bool in_place;      // read and written in place
  bool long_windows;  // signals shorter than windows too long to hold: counted, not held
  bool whole_signal;  // each signal's range of outputs is one piece
  // Long windows none of which is selected write their outputs over the gathered samples,
  // which the engine has read by then.
  bool outputs_over_samples;
  int64_t length;  // outputs a piece computes
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

WorkerRoom carve_room(StorageLayout &s, const FilterJob &job, const Pieces &pieces,
                      size_t selection_bytes) {
  const int32_t W = window_length(job);
  const int64_t length = job.signals.length;
  const int64_t gathered = pieces.whole_signal ? length : pieces.length + 2 * int64_t{job.W2};
  // The signal as the engines will see it: the whole signal with its padding generated, or a
  // gathered piece with its padding written out (on which the engines may choose otherwise).
  const ExtendedSignal view =
      pieces.whole_signal || pieces.in_place
          ? signal_view(job, nullptr, length, job.fill)
          : with_extension_arrays(nullptr, nullptr, nullptr, pieces.length, job.W2);
  WorkerRoom room;
  room.samples = take<double>(s, pieces.in_place ? 0 : gathered);
  room.staged = take<double>(s, pieces.in_place || pieces.outputs_over_samples ? 0 : pieces.length);
  room.table = take<int64_t>(s, pieces.ranks ? length + 1 : 0);
  room.verdict = take<uint8_t>(s, pieces.long_windows ? pieces.length : 0);
  room.engine =
      take_bytes(s, pieces.long_windows ? long_window_scratch_bytes(view, W, pieces.length) +
                                              long_window_storage_bytes(view, W, pieces.length)
                                        : running_median_storage_bytes(view, W, pieces.length));
  room.selection = reinterpret_cast<double *>(take_bytes(s, selection_bytes));
  return room;
}

Pieces pieces_of(const FilterJob &job, const FilterPlan &plan) {
  Pieces p;
  p.ranks = plan.ranks;
  p.in_place = reads_in_place(job, plan.ranks);
  p.long_windows = has_long_windows(job);
  p.whole_signal = p.ranks || p.long_windows;
  p.outputs_over_samples = p.long_windows && !p.in_place && !p.ranks && plan.selection_bytes == 0;
  p.length = plan.piece;
  return p;
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
  if (counts_zeros(job)) {
    medians_between_nan_windows(e, W, first, last, job.not_a_number, out, engine);
  } else {
    running_median_range(e, W, first, last, kZerosAsSelected, out, engine);
  }
}

// A signal shorter than its windows: counted, then the windows the order cannot decide selected
// (or, holding a NaN, set to NaN).
void compute_long_windows(const FilterJob &job, const ExtendedSignal &e, const WorkerRoom &room,
                          int64_t first, int64_t last, double *out) {
  const int32_t W = window_length(job);
  const size_t scratch = long_window_scratch_bytes(e, W, last - first);
  const ZeroSigns zeros = counts_zeros(job) ? kZerosByCount : kZerosAsSelected;
  long_window_medians(e, W, first, last, zeros, out, room.verdict, room.engine,
                      room.engine + scratch);
  for (int64_t i = first; i < last; ++i) {
    const uint8_t verdict = room.verdict[i - first];
    if (verdict == kWindowDecided) continue;
    if (verdict == kWindowHoldsNaN && job.include_nan) {
      out[i - first] = job.not_a_number;
    } else if (!stop_requested()) {
      fill_window(room.selection, e, W, i);
      out[i - first] = select_middle_by_blocks(room.selection, W);
    }
  }
}

// The whole range of one signal at once: ranks, or windows longer than the signal.
void filter_whole_signal(const FilterJob &job, const Pieces &pieces, const WorkerRoom &room,
                         int64_t signal) {
  const int64_t start = signal_start(job.signals, signal);
  const int64_t y_start = signal_start(with_length(job.signals, job.outputs), signal);
  const int64_t first = job.first_output, last = first + job.outputs;
  const double *x = static_cast<const double *>(job.x) + start;
  double *out = pieces.in_place               ? static_cast<double *>(job.y) + y_start
                : pieces.outputs_over_samples ? room.samples
                                              : room.staged;
  double fill = job.fill;
  if (pieces.ranks) {
    fill = rank_signal(job, start, room.table, room.samples);
    x = room.samples;
  } else if (!pieces.in_place) {
    gather_samples(job.type, job.x, job.signals, start, job.padding, job.fill, 0,
                   job.signals.length, room.samples);
    x = room.samples;
  }
  const ExtendedSignal e = signal_view(job, x, job.signals.length, fill);
  if (pieces.long_windows) {
    compute_long_windows(job, e, room, first, last, out);
  } else {
    compute(job, e, first, last, out, room.engine);
  }
  if (pieces.ranks) {
    scatter_ranks(job, y_start, room.table, out, job.outputs);
  } else if (!pieces.in_place) {
    scatter_samples(job.type, job.y, job.signals.stride, y_start, out, job.outputs);
  }
}

// Outputs first ... last-1 of one signal.
void filter_piece(const FilterJob &job, const WorkerRoom &room, bool in_place, int64_t signal,
                  int64_t first, int64_t last) {
  const int64_t start = signal_start(job.signals, signal);
  const int64_t y_at = signal_start(with_length(job.signals, job.outputs), signal) +
                       (first - job.first_output) * job.signals.stride;
  if (in_place) {
    const ExtendedSignal e =
        signal_view(job, static_cast<const double *>(job.x) + start, job.signals.length, job.fill);
    compute(job, e, first, last, static_cast<double *>(job.y) + y_at, room.engine);
    return;
  }
  // The piece's windows, padding included, gathered as one run with its extensions.
  const int64_t count = last - first;
  gather_samples(job.type, job.x, job.signals, start, job.padding, job.fill, first - job.W2,
                 count + 2 * int64_t{job.W2}, room.samples);
  const ExtendedSignal e = with_extension_arrays(room.samples + job.W2, room.samples,
                                                 room.samples + job.W2 + count, count, job.W2);
  compute(job, e, 0, count, room.staged, room.engine);
  scatter_samples(job.type, job.y, job.signals.stride, y_at, room.staged, count);
}

void filter_task(void *context, int32_t worker, const Piece &piece) {
  const Run &run = *static_cast<const Run *>(context);
  const FilterJob &job = *run.job;
  StorageLayout layout = carving_layout(run.storage + worker * run.room_bytes);
  const WorkerRoom room = carve_room(layout, job, run.pieces, run.selection_bytes);
  if (run.pieces.whole_signal) {
    filter_whole_signal(job, run.pieces, room, piece.signal);
  } else {
    filter_piece(job, room, run.pieces.in_place, piece.signal, job.first_output + piece.first,
                 job.first_output + piece.last);
  }
}

bool is_empty(const FilterJob &job) {
  return signal_count(job.signals) == 0 || job.outputs == 0;
}

}  // namespace

FilterPlan plan_filter(const FilterJob &job) {
  FilterPlan plan = {1, false, 0, 0, 0, false};
  if (is_empty(job)) return plan;
  if (has_long_windows(job) && job.signals.length > kMostLongWindowOutputs) {
    plan.unserved = true;
    return plan;
  }
  plan.ranks = needs_ranks(job);
  const int64_t signals = signal_count(job.signals);
  plan.workers = workers_for(signals * job.outputs, job.threads);
  if (has_long_windows(job) && may_leave_windows_undecided(job)) {
    plan.selection_bytes = static_cast<size_t>(window_length(job)) * sizeof(double);
    plan.workers = 1;  // one such window is plenty to ask for
  }
  plan.piece = plan.ranks || has_long_windows(job)
                   ? job.outputs
                   : piece_length(job.outputs, signals, plan.workers, job.block,
                                  4 * int64_t{window_length(job)});
  const Pieces pieces = pieces_of(job, plan);
  const TaskGrid grid = task_grid(signals, job.outputs, pieces.length);
  plan.workers = static_cast<int32_t>(std::min<int64_t>(plan.workers, task_count(grid)));
  plan.worker_bytes =
      bytes_taken_by([&](StorageLayout &s) { carve_room(s, job, pieces, plan.selection_bytes); });
  return plan;
}

void run_filter(const FilterJob &job, const FilterPlan &plan, void *storage) {
  if (is_empty(job)) return;
  Run run;
  run.job = &job;
  run.pieces = pieces_of(job, plan);
  run.selection_bytes = plan.selection_bytes;
  run.room_bytes = plan.worker_bytes;
  run.storage = static_cast<char *>(storage);
  const TaskGrid grid = task_grid(signal_count(job.signals), job.outputs, run.pieces.length);
  run_pieces(grid, plan.workers, filter_task, &run);
}
