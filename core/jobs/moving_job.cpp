// Runs a moving-statistic job piece by piece on worker threads. Double signals stored contiguously,
// with double results, are read and written in place; any other piece has the samples its
// windows reach gathered (converted to double, exactly) into the worker's storage, and its
// outputs staged there and converted to the result's class. So the storage of a worker grows
// with a piece and its windows, never with the signal. 64-bit integers beyond what a double holds
// are counted by their ranks among the keys of the samples a piece reaches, and their statistics
// computed exactly from those keys.
#include "core/jobs/moving_job.h"

#include <algorithm>
#include <cstring>

#include "core/support/storage_layout.h"

namespace {

// Double signals stored contiguously are read in place (unless ranked as exact integers), and
// their double results written in place.
bool reads_in_place(const MovingJob &job, const MovingPlan &plan) {
  return job.x_type == kDoubleSamples && job.signals.stride == 1 && !plan.exact;
}

bool writes_in_place(const MovingJob &job, const MovingPlan &plan, int32_t r) {
  return reads_in_place(job, plan) && job.taken[r].type == kDoubleSamples;
}

struct MovingRoom {
  double *samples;                        // what a piece's windows reach (or their ranks)
  double *staged[kMostStatisticResults];  // the results of its outputs not written in place
  int64_t *sorted_keys;  // exact integers: the keys of the samples (and the fill), sorted
  char *engine;
};

MovingRoom carve_room(StorageLayout &s, const MovingJob &job, const MovingPlan &plan) {
  MovingRoom room;
  room.samples = take<double>(s, reads_in_place(job, plan) ? 0 : plan.span);
  for (int32_t r = 0; r < kMostStatisticResults; ++r) {
    const bool staged = r < job.results && !writes_in_place(job, plan, r);
    room.staged[r] = take<double>(s, staged ? plan.piece : 0);
  }
  room.sorted_keys = take<int64_t>(s, plan.exact ? plan.span + 1 : 0);
  room.engine = take_bytes(s, moving_statistics_storage_bytes(job.windows, job.statistic,
                                                              plan.exact, plan.span, plan.piece));
  return room;
}

// ---- Exact integers ----

// Replaces the samples at positions lo ... hi of a signal by their ranks among the keys they
// (and the padding) hold; returns the arithmetic that reads the keys back, and sets the
// windows' fill to its rank.
ExactArithmetic ranked_integers(const MovingJob &job, int64_t start, int64_t lo, int64_t hi,
                                const MovingRoom &room, MovingWindows *windows) {
  const int64_t stride = job.signals.stride;
  const int64_t keys = rank_integers(job.x_type, job.x, start + lo * stride, stride, hi - lo + 1,
                                     windows->padded, job.fill_key, room.sorted_keys, room.samples);
  if (windows->padded) windows->fill = rank_in(room.sorted_keys, keys, job.fill_key);
  return {room.sorted_keys, job.x_type == kUint64Samples};
}

// Writes the 64 bits of each result, as the exact statistics left them.
void scatter_bits(void *y, int64_t stride, int64_t at, const double *slots, int64_t count) {
  char *out = static_cast<char *>(y);
  for (int64_t j = 0; j < count; ++j) {
    std::memcpy(out + (at + j * stride) * 8, slots + j, 8);
  }
}

// The most samples the windows of any piece reach (with the piece's outputs): in time, found
// piece by piece.
int64_t widest_span(const MovingJob &job, int64_t piece) {
  const MovingWindows &w = job.windows;
  const int64_t length = job.signals.length;
  if (w.times == nullptr) return std::min(length, piece + w.back + w.forward);
  int64_t widest = 0;
  for (int64_t first = 0; first < job.outputs; first += piece) {
    int64_t lo = 0, hi = 0;
    moving_reach(w, length, job.first_output + first,
                 job.first_output + std::min(job.outputs, first + piece), &lo, &hi);
    widest = std::max(widest, hi - lo + 1);
  }
  return widest;
}

struct Run {
  const MovingJob *job;
  const MovingPlan *plan;
  char *storage;
};

void moving_task(void *context, int32_t worker, const Piece &piece) {
  const Run &run = *static_cast<const Run *>(context);
  const MovingJob &job = *run.job;
  StorageLayout layout = carving_layout(run.storage + worker * run.plan->worker_bytes);
  const MovingRoom room = carve_room(layout, job, *run.plan);
  const int64_t start = signal_start(job.signals, piece.signal);
  const int64_t y_at = signal_start(with_length(job.signals, job.outputs), piece.signal) +
                       piece.first * job.signals.stride;
  const int64_t first = job.first_output + piece.first, last = job.first_output + piece.last;
  const int64_t stride = job.signals.stride, count = last - first;
  StatisticResults results = {};
  for (int32_t r = 0; r < job.results; ++r) {
    results.at[job.taken[r].of] = writes_in_place(job, *run.plan, r)
                                      ? static_cast<double *>(job.y[r]) + y_at
                                      : room.staged[r];
  }
  if (reads_in_place(job, *run.plan)) {
    moving_statistics(static_cast<const double *>(job.x) + start, job.signals.length, job.windows,
                      job.statistic, nullptr, first, last, results, room.engine);
  } else {
    int64_t lo = 0, hi = 0;
    moving_reach(job.windows, job.signals.length, first, last, &lo, &hi);
    MovingWindows windows = job.windows;
    if (windows.times) windows.times += lo;
    ExactArithmetic exact = {nullptr, false};
    if (run.plan->exact) {
      exact = ranked_integers(job, start, lo, hi, room, &windows);
    } else {
      gather_samples(job.x_type, job.x, job.signals, start, kConstantPadding, 0, lo, hi - lo + 1,
                     room.samples);
    }
    moving_statistics(room.samples, hi - lo + 1, windows, job.statistic,
                      run.plan->exact ? &exact : nullptr, first - lo, last - lo, results,
                      room.engine);
  }
  for (int32_t r = 0; r < job.results; ++r) {
    const SampleType type = job.taken[r].type;
    if (writes_in_place(job, *run.plan, r)) continue;
    // Exact results of the integer class hold its 64 bits; every other result is a double.
    if (run.plan->exact && type == job.x_type) {
      scatter_bits(job.y[r], stride, y_at, room.staged[r], count);
    } else {
      scatter_samples(type, job.y[r], stride, y_at, room.staged[r], count);
    }
  }
}

// An outlier test's constant fill that no double holds is written exactly.
bool fills_beyond_doubles(const MovingJob &job) {
  const MovingStatistic &s = job.statistic;
  return is_outlier_test(s) && s.outlier.fill == kConstantFill &&
         key_beyond_doubles(job.x_type, s.outlier.fill_key);
}

bool is_empty(const MovingJob &job) {
  return signal_count(job.signals) == 0 || job.outputs == 0;
}

}  // namespace

MovingPlan plan_moving(const MovingJob &job) {
  MovingPlan plan = {1, 0, 0, false, 0};
  if (is_empty(job)) return plan;
  plan.exact = (job.x && holds_beyond_doubles(job.x_type, job.x, sample_count(job.signals))) ||
               (job.windows.padded && key_beyond_doubles(job.x_type, job.fill_key)) ||
               fills_beyond_doubles(job);
  const int64_t signals = signal_count(job.signals);
  plan.workers = workers_for(signals * job.outputs, job.threads);
  const MovingWindows &w = job.windows;
  const int64_t reach = w.times ? 0 : std::min(job.signals.length, w.back + w.forward + 1);
  plan.piece = piece_length(job.outputs, signals, plan.workers, job.block,
                            std::max(int64_t{1} << 14, 4 * reach));
  plan.span = widest_span(job, plan.piece);
  const TaskGrid grid = task_grid(signals, job.outputs, plan.piece);
  plan.workers = static_cast<int32_t>(std::min<int64_t>(plan.workers, task_count(grid)));
  plan.worker_bytes = bytes_taken_by([&](StorageLayout &s) { carve_room(s, job, plan); });
  return plan;
}

void run_moving(const MovingJob &job, const MovingPlan &plan, void *storage) {
  if (is_empty(job)) return;
  Run run = {&job, &plan, static_cast<char *>(storage)};
  const TaskGrid grid = task_grid(signal_count(job.signals), job.outputs, plan.piece);
  run_pieces(grid, plan.workers, moving_task, &run);
}
