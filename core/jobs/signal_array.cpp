// Typed samples and the cutting of a job into tasks.
#include "core/jobs/signal_array.h"

#include <type_traits>

#include "core/jobs/worker_threads.h"

namespace {

template <class T>
void gather_as(const T *signal, int64_t stride, int64_t length, Padding padding, double fill,
               int64_t t0, int64_t count, double *out) {
  for (int64_t j = 0; j < count; ++j) {
    const int64_t t = t0 + j;
    const int64_t p = (t >= 0 && t < length) ? t : padding_source(t, length, padding);
    out[j] = p < 0 ? fill : static_cast<double>(signal[p * stride]);
  }
}

template <class T>
void scatter_as(const double *values, int64_t count, T *out, int64_t stride) {
  for (int64_t j = 0; j < count; ++j) out[j * stride] = from_double<T>(values[j]);
}

struct Tasks {
  const TaskGrid *grid;
  PieceTask piece_task;
  void *context;
};

// Task t is piece t % per_signal of a group of signals_per_task signals.
void run_task(void *context, int32_t worker, int64_t task) {
  const Tasks &tasks = *static_cast<const Tasks *>(context);
  const TaskGrid &g = *tasks.grid;
  const int64_t group = task / g.per_signal, index = task % g.per_signal;
  const int64_t first = index * g.piece, last = std::min(g.outputs, first + g.piece);
  const int64_t end = std::min(g.signals, (group + 1) * g.signals_per_task);
  for (int64_t signal = group * g.signals_per_task; signal < end; ++signal) {
    tasks.piece_task(tasks.context, worker, {signal, first, last});
  }
}

}  // namespace

void gather_samples(SampleType type, const void *x, const SignalArray &a, int64_t start,
                    Padding padding, double fill, int64_t t0, int64_t count, double *out) {
  with_element_type(type, [&](auto *element) {
    using T = std::remove_pointer_t<decltype(element)>;
    gather_as(static_cast<const T *>(x) + start, a.stride, a.length, padding, fill, t0, count, out);
  });
}

void scatter_samples(SampleType type, void *y, int64_t stride, int64_t start, const double *values,
                     int64_t count) {
  if (type == kLogicalSamples) {  // flags, 0 or 1: no rounding to do
    uint8_t *out = static_cast<uint8_t *>(y) + start;
    for (int64_t j = 0; j < count; ++j) out[j * stride] = values[j] != 0;
    return;
  }
  with_element_type(type, [&](auto *element) {
    using T = std::remove_pointer_t<decltype(element)>;
    scatter_as(values, count, static_cast<T *>(y) + start, stride);
  });
}

bool holds_beyond_doubles(SampleType type, const void *x, int64_t count) {
  const int64_t exact = int64_t{1} << 53;
  if (type == kInt64Samples) {
    const int64_t *v = static_cast<const int64_t *>(x);
    for (int64_t j = 0; j < count; ++j) {
      if (v[j] > exact || v[j] < -exact) return true;
    }
  } else if (type == kUint64Samples) {
    const uint64_t *v = static_cast<const uint64_t *>(x);
    for (int64_t j = 0; j < count; ++j) {
      if (v[j] > uint64_t(exact)) return true;
    }
  }
  return false;
}

int64_t integer_key(SampleType type, const void *x, int64_t i) {
  if (type == kInt64Samples) return static_cast<const int64_t *>(x)[i];
  return static_cast<int64_t>(static_cast<const uint64_t *>(x)[i] ^ (uint64_t{1} << 63));
}

int64_t integer_key_of(SampleType type, double value) {
  if (type == kInt64Samples) return static_cast<int64_t>(value);
  return static_cast<int64_t>(static_cast<uint64_t>(value) ^ (uint64_t{1} << 63));
}

double value_of_key(SampleType type, int64_t key) {
  if (type == kInt64Samples) return static_cast<double>(key);
  return static_cast<double>(static_cast<uint64_t>(key) ^ (uint64_t{1} << 63));
}

bool key_beyond_doubles(SampleType type, int64_t key) {
  const int64_t exact = int64_t{1} << 53;
  if (type == kInt64Samples) return key > exact || key < -exact;
  const uint64_t value = static_cast<uint64_t>(key) ^ (uint64_t{1} << 63);
  return type == kUint64Samples && value > static_cast<uint64_t>(exact);
}

int64_t rank_integers(SampleType type, const void *x, int64_t start, int64_t stride, int64_t count,
                      bool with_fill, int64_t fill_key, int64_t *table, double *ranks) {
  for (int64_t t = 0; t < count; ++t) table[t] = integer_key(type, x, start + t * stride);
  const int64_t keys = count + (with_fill ? 1 : 0);
  if (with_fill) table[count] = fill_key;
  std::sort(table, table + keys);
  for (int64_t t = 0; t < count; ++t) {
    ranks[t] = rank_in(table, keys, integer_key(type, x, start + t * stride));
  }
  return keys;
}

int32_t workers_for(int64_t samples, int32_t threads) {
  return samples < kFewestSamplesForThreads ? 1 : std::max(1, threads);
}

int64_t piece_length(int64_t outputs, int64_t signals, int32_t workers, int64_t block,
                     int64_t shortest) {
  int64_t length = std::max<int64_t>(1, std::min(block, outputs));
  if (workers > 1) {
    const int64_t wanted_per_signal = ceil_div(4 * int64_t{workers}, signals);
    const int64_t shorter = ceil_div(outputs, wanted_per_signal);
    length = std::min(length, std::max(shorter, std::min(outputs, shortest)));
  }
  return length;
}

TaskGrid task_grid(int64_t signals, int64_t outputs, int64_t piece) {
  TaskGrid g;
  g.signals = signals;
  g.outputs = outputs;
  g.piece = std::max<int64_t>(1, piece);
  g.per_signal = std::max<int64_t>(1, ceil_div(outputs, g.piece));
  g.signals_per_task =
      g.per_signal > 1 ? 1 : std::max<int64_t>(1, kSamplesPerTask / std::max<int64_t>(1, outputs));
  return g;
}

int64_t task_count(const TaskGrid &g) {
  return g.per_signal * ceil_div(g.signals, g.signals_per_task);
}

void run_pieces(const TaskGrid &grid, int32_t workers, PieceTask piece_task, void *context) {
  Tasks tasks = {&grid, piece_task, context};
  run_on_workers(run_task, &tasks, task_count(grid), workers);
}
