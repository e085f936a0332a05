// The networks of the separable rank filter. The window's m rows of n samples are sorted each
// by `row`; `merge` then works on the m sorted rows (input k*n + w is the w-th smallest of row k)
// and leaves the window's sample of the wanted rank at `output`.
//
// The merge sorts each column of that matrix across the rows, which keeps its rows sorted, so
// that the sample at (k, w) has at least (k+1)(w+1) samples at or below it and (m-k)(n-w) at or
// above it. Those bounds rule out all but a band of candidates about the rank, among which a
// selection network finds it; every operation whose result does not reach the output is then
// pruned away.
#ifndef PLORVENT_CORE_IMAGES_RANK_NETWORKS_H
#define PLORVENT_CORE_IMAGES_RANK_NETWORKS_H

#include <cstdint>

#include "core/engines/selection_network.h"

// The largest window the networks take (its positions fit the operations' bytes).
constexpr int32_t kMostSmallKernelSamples = kMostNetworkInputs;
// Sorting n columns of m inputs (no more operations than sorting all m*n at once, which includes
// them) and then selecting among at most m*n candidates, unpruned.
constexpr int32_t kMostMergeOps = 2 * kMostNetworkOps;

struct MergeNetwork {
  int32_t count;
  NetworkOp ops[kMostMergeOps];
};

struct RankNetworks {
  Network row;
  MergeNetwork merge;
  int32_t output;
};

namespace rank_network_steps {

constexpr void append_op(MergeNetwork *merge, int32_t low, int32_t high) {
  merge->ops[merge->count++] = {static_cast<uint8_t>(low), static_cast<uint8_t>(high), kMinAndMax};
}

// Walking back from the outputs, keeps only the operations whose results reach a position
// `needed` holds, and leaves in `needed` the positions the kept ones read first.
constexpr void prune_merge(MergeNetwork *merge, bool *needed) {
  int32_t kept = merge->count;
  for (int32_t c = merge->count - 1; c >= 0; --c) {
    NetworkOp op = merge->ops[c];
    const bool min_used = needed[op.low], max_used = needed[op.high];
    if (!min_used && !max_used) continue;
    op.kind = min_used && max_used ? kMinAndMax : (min_used ? kMinOnly : kMaxOnly);
    needed[op.low] = needed[op.high] = true;
    merge->ops[--kept] = op;
  }
  int32_t count = 0;
  for (int32_t c = kept; c < merge->count; ++c) merge->ops[count++] = merge->ops[c];
  merge->count = count;
}

}  // namespace rank_network_steps

// A merge that leaves ranks first ... last of m sorted rows of n at positions at[0 ...]; `needed`
// marks the positions it reads.
struct RankRangeNetwork {
  MergeNetwork merge;
  int32_t at[kMostSmallKernelSamples];
  bool needed[kMostSmallKernelSamples];
};

// For m sorted rows of n (m*n <= kMostSmallKernelSamples) and ranks 0 <= first <= last < m*n.
constexpr RankRangeNetwork rank_range_network(int32_t m, int32_t n, int32_t first, int32_t last) {
  RankRangeNetwork range{};
  MergeNetwork *merge = &range.merge;
  // Each column w across the sorted rows: inputs k*n + w.
  const Network columns = pruned_batcher_network(m, 0, m - 1);
  for (int32_t w = 0; w < n; ++w) {
    for (int32_t c = 0; c < columns.count; ++c) {
      rank_network_steps::append_op(merge, columns.ops[c].low * n + w, columns.ops[c].high * n + w);
    }
  }
  // The candidates: neither surely below the first rank nor surely above the last.
  const int32_t count = m * n;
  int32_t candidates[kMostSmallKernelSamples] = {}, candidate_count = 0, below = 0;
  for (int32_t k = 0; k < m; ++k) {
    for (int32_t w = 0; w < n; ++w) {
      if ((m - k) * (n - w) > count - first) {
        ++below;
      } else if ((k + 1) * (w + 1) <= last + 1) {
        candidates[candidate_count++] = k * n + w;
      }
    }
  }
  const Network select = pruned_batcher_network(candidate_count, first - below, last - below);
  for (int32_t c = 0; c < select.count; ++c) {
    rank_network_steps::append_op(merge, candidates[select.ops[c].low],
                                  candidates[select.ops[c].high]);
  }
  for (int32_t r = first; r <= last; ++r) {
    range.at[r - first] = candidates[r - below];
    range.needed[range.at[r - first]] = true;
  }
  rank_network_steps::prune_merge(merge, range.needed);
  return range;
}

// The first and last position within a sorted row of n that a merge reads.
constexpr void positions_read(const bool *needed, int32_t count, int32_t n, int32_t &first,
                              int32_t &last) {
  first = n;
  last = -1;
  for (int32_t q = 0; q < count; ++q) {
    if (!needed[q]) continue;
    first = q % n < first ? q % n : first;
    last = q % n > last ? q % n : last;
  }
}

// For an m-by-n window (m*n <= kMostSmallKernelSamples) and a rank below m*n; at compile time
// for the windows with kernels of their own.
constexpr RankNetworks rank_networks(int32_t m, int32_t n, int32_t rank) {
  const RankRangeNetwork range = rank_range_network(m, n, rank, rank);
  RankNetworks networks{};
  networks.merge = range.merge;
  networks.output = range.at[0];
  // The rows need sorting only over the positions the merge reads.
  int32_t first = 0, last = 0;
  positions_read(range.needed, m * n, n, first, last);
  networks.row = pruned_batcher_network(n, first, last);
  return networks;
}

// Two windows side by side share all but one of their sorted rows: m-1 rows of n, and each its
// own row T (rows of the sorted columns, when the rows are an image's columns). The rank r
// sample of a window is the smallest, over the splits of its r+1 smallest samples into q from T
// and r+1-q from the shared S, of max(S[r-q], T[q-1]) (for q = 0, S[r]; for q = r+1, T[r]): no
// split's r+1 samples lie all below it, and the split of the r+1 smallest reaches it. `shared`
// leaves S's ranks r-q_last ... r-q_first (those with r-q >= 0) at its positions; `row` sorts
// what both read of a row.
struct PairRankNetworks {
  Network row;
  RankRangeNetwork shared;
  int32_t q_first, q_last, s_first;
};

constexpr PairRankNetworks pair_rank_networks(int32_t m, int32_t n, int32_t rank) {
  PairRankNetworks pair{};
  const int32_t shared_count = (m - 1) * n;
  pair.q_first = rank + 1 - shared_count > 0 ? rank + 1 - shared_count : 0;
  pair.q_last = n < rank + 1 ? n : rank + 1;
  pair.s_first = rank - (pair.q_last < rank ? pair.q_last : rank);
  pair.shared = rank_range_network(m - 1, n, pair.s_first, rank - pair.q_first);
  int32_t first = 0, last = 0;
  positions_read(pair.shared.needed, shared_count, n, first, last);
  const int32_t own_first = pair.q_first > 0 ? pair.q_first - 1 : 0;
  first = own_first < first ? own_first : first;
  last = pair.q_last - 1 > last ? pair.q_last - 1 : last;
  pair.row = pruned_batcher_network(n, first, last);
  return pair;
}

template <int32_t M, int32_t N, int32_t Rank>
struct FixedRankNetworks {
  static constexpr int32_t kRows = M, kCols = N, kRank = Rank;
  static constexpr RankNetworks networks = rank_networks(M, N, Rank);
  // For the windows' columns sorted and shared by neighbouring windows (in pairs, or walked down
  // from registers): m and n swap.
  static constexpr PairRankNetworks pairs = pair_rank_networks(N, M, Rank);
  static constexpr RankNetworks columns = rank_networks(N, M, Rank);
};

#endif
