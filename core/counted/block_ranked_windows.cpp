#include "core/counted/block_ranked_windows.h"

#include <algorithm>
#include <cmath>

#include "core/engines/block_sort_medians.h"
#include "core/support/storage_layout.h"

namespace {

// The engine takes so many outputs a call, and at least so many windows' lengths (each call
// starts with a block's sort); between calls a Ctrl-C is looked for.
const int64_t kFewestChunkOutputs = 1 << 14;
const int64_t kChunkWindows = 8;

int64_t chunk_outputs(int32_t W, int64_t outputs) {
  return std::min(outputs, std::max(kFewestChunkOutputs, kChunkWindows * W));
}

// The ranks a window's statistic reads: k and, where it lies between two, k+1.
struct ReadRanks {
  int32_t k;
  bool next;
};

ReadRanks read_ranks(const MovingStatistic &s, int32_t W) {
  if (s.kind == kMedianStatistic) return {(W - 1) / 2, W % 2 == 0};
  const QuantilePosition q = quantile_position(W, s.quantile.p, s.quantile.method);
  return {static_cast<int32_t>(q.lower), q.upper != q.lower};
}

// One window's two order statistics, as the statistics read them.
struct TwoRanks {
  double low, high;

  double value(WindowCursor, int64_t) const { return low; }
  double value_after(WindowCursor, int64_t) const { return high; }
};

struct BlockRoom {
  void *engine;
  double *high;
};

BlockRoom carve_block_room(StorageLayout &s, int32_t W, int64_t outputs) {
  BlockRoom room;
  room.engine = take_bytes(s, block_sort_storage_bytes(W));
  room.high = take<double>(s, chunk_outputs(W, outputs));
  return room;
}

// The last positions seen that hold -0.0 and +0.0 (-1: none): the window from i on holds a zero of
// that sign when its position is at least i.
struct LastZeros {
  int64_t negative;
  int64_t positive;
};

inline void see_sample(LastZeros &z, double v, int64_t t) {
  const bool zero = v == 0, negative = std::signbit(v);
  z.negative = (zero & negative) ? t : z.negative;
  z.positive = (zero & !negative) ? t : z.positive;
}

// Outputs 0 ... count-1 (one call of the engine): the ranks into the values and `high`, then
// each window finished from them.
void finish_chunk(const double *x, int64_t count, int32_t W, const Outputs &out,
                  const BlockRoom &room, const ReadRanks &r) {
  block_sort_ranks(x, count, W, r.k, out.values, r.next ? room.high : nullptr, room.engine);
  const DoubleResults results = {};
  WindowMemory memory = fresh_window_memory();
  LastZeros zeros = {-1, -1};
  for (int64_t t = 0; t < W - 1; ++t) see_sample(zeros, x[t], t);
  for (int64_t i = 0; i < count; ++i) {
    see_sample(zeros, x[i + W - 1], i + W - 1);
    const SpecialCounts specials = {0, zeros.negative >= i, zeros.positive >= i};
    TwoRanks window = {out.values[i], r.next ? room.high[i] : out.values[i]};
    results.value(out.values + i,
                  window_value(window, W, out.statistic, results.arithmetic, &memory), specials);
  }
}

}  // namespace

bool block_ranked_windows_serve(const MovingStatistic &s, int64_t W, bool exact) {
  const bool ranks = s.kind == kQuantileStatistic || (s.kind == kMedianStatistic && W % 2 == 0);
  return ranks && !exact && W >= 2 && W <= kLongestBlockSortWindow;
}

size_t block_ranked_storage_bytes(int32_t W, int64_t outputs) {
  return bytes_taken_by([&](StorageLayout &s) { carve_block_room(s, W, outputs); });
}

void block_ranked_statistics(const double *x, int64_t count, int32_t W, const Outputs &out,
                             void *storage) {
  StorageLayout layout = carving_layout(storage);
  const BlockRoom room = carve_block_room(layout, W, count);
  const ReadRanks r = read_ranks(out.statistic, W);
  const int64_t step = chunk_outputs(W, count);
  for (int64_t i = 0; i < count && !stop_requested(); i += step) {
    finish_chunk(x + i, std::min(step, count - i), W, from(out, i), room, r);
  }
}
