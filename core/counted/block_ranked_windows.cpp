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
  int32_t *ranks;   // where NaN are omitted: the rank each window reads
  int32_t *others;  // and its count of samples other than NaN
};

BlockRoom carve_block_room(StorageLayout &s, int32_t W, int64_t outputs) {
  BlockRoom room;
  room.engine = take_bytes(s, block_sort_storage_bytes(W));
  room.high = take<double>(s, chunk_outputs(W, outputs));
  room.ranks = take<int32_t>(s, chunk_outputs(W, outputs));
  room.others = take<int32_t>(s, chunk_outputs(W, outputs));
  return room;
}

// Counts the NaN of a window as samples enter and leave it.
inline int32_t is_nan(double v) {
  return v != v;
}

// Where NaN are omitted: each window's count of other samples, and the rank it reads by that
// count (0 for a window of nothing but NaN), worked out again only when the count changes.
void rank_each_window(const double *x, int64_t count, int32_t W, const MovingStatistic &s,
                      const BlockRoom &room) {
  int32_t others = W, ranked = -1, k = 0;
  for (int64_t t = 0; t < W - 1; ++t) others -= is_nan(x[t]);
  for (int64_t i = 0; i < count; ++i) {
    others -= is_nan(x[i + W - 1]);
    if (others != ranked) {
      k = others > 0 ? read_ranks(s, others).k : 0;
      ranked = others;
    }
    room.others[i] = others;
    room.ranks[i] = k;
    others += is_nan(x[i]);
  }
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
// each window finished from them, of its count of samples other than NaN where they are omitted.
void finish_chunk(const double *x, int64_t count, int32_t W, const Outputs &out,
                  const BlockRoom &room, bool omit_nan) {
  const ReadRanks r = read_ranks(out.statistic, W);
  if (omit_nan) {
    rank_each_window(x, count, W, out.statistic, room);
    block_sort_ranks_nan_last(x, count, W, room.ranks, out.values, room.high, room.engine);
  } else {
    block_sort_ranks(x, count, W, r.k, out.values, r.next ? room.high : nullptr, room.engine);
  }
  const double *high = omit_nan || r.next ? room.high : out.values;
  const DoubleResults results = {};
  WindowMemory memory = fresh_window_memory();
  LastZeros zeros = {-1, -1};
  for (int64_t t = 0; t < W - 1; ++t) see_sample(zeros, x[t], t);
  for (int64_t i = 0; i < count; ++i) {
    see_sample(zeros, x[i + W - 1], i + W - 1);
    const SpecialCounts specials = {0, zeros.negative >= i, zeros.positive >= i};
    TwoRanks window = {out.values[i], high[i]};
    const int32_t others = omit_nan ? room.others[i] : W;
    if (others == 0) {
      results.none(out.values + i);
    } else {
      results.value(out.values + i,
                    window_value(window, others, out.statistic, results.arithmetic, &memory),
                    specials);
    }
  }
}

}  // namespace

bool block_ranked_windows_serve(const MovingStatistic &s, int64_t W, bool exact) {
  return block_omitting_windows_serve(s, W, exact) && (s.kind == kQuantileStatistic || W % 2 == 0);
}

bool block_omitting_windows_serve(const MovingStatistic &s, int64_t W, bool exact) {
  const bool ranks = s.kind == kQuantileStatistic || s.kind == kMedianStatistic;
  return ranks && !exact && W >= 2 && W <= kLongestBlockSortWindow;
}

size_t block_ranked_storage_bytes(int32_t W, int64_t outputs) {
  return bytes_taken_by([&](StorageLayout &s) { carve_block_room(s, W, outputs); });
}

void block_ranked_statistics(const double *x, int64_t count, int32_t W, bool omit_nan,
                             const Outputs &out, void *storage) {
  StorageLayout layout = carving_layout(storage);
  const BlockRoom room = carve_block_room(layout, W, count);
  const int64_t step = chunk_outputs(W, count);
  for (int64_t i = 0; i < count && !stop_requested(); i += step) {
    finish_chunk(x + i, std::min(step, count - i), W, from(out, i), room, omit_nan);
  }
}
