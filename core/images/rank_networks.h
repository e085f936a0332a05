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

// For an m-by-n window (m*n <= kMostSmallKernelSamples) and a rank below m*n; at compile time
// for the windows with kernels of their own.
constexpr RankNetworks rank_networks(int32_t m, int32_t n, int32_t rank) {
  RankNetworks networks{};
  MergeNetwork *merge = &networks.merge;
  // Each column w across the sorted rows: inputs k*n + w.
  const Network columns = pruned_batcher_network(m, 0, m - 1);
  for (int32_t w = 0; w < n; ++w) {
    for (int32_t c = 0; c < columns.count; ++c) {
      rank_network_steps::append_op(merge, columns.ops[c].low * n + w, columns.ops[c].high * n + w);
    }
  }
  // The candidates: neither surely below the rank nor surely above it.
  const int32_t count = m * n;
  int32_t candidates[kMostSmallKernelSamples] = {}, candidate_count = 0, below = 0;
  for (int32_t k = 0; k < m; ++k) {
    for (int32_t w = 0; w < n; ++w) {
      if ((m - k) * (n - w) > count - rank) {
        ++below;
      } else if ((k + 1) * (w + 1) <= rank + 1) {
        candidates[candidate_count++] = k * n + w;
      }
    }
  }
  const int32_t wanted = rank - below;
  const Network select = pruned_batcher_network(candidate_count, wanted, wanted);
  for (int32_t c = 0; c < select.count; ++c) {
    rank_network_steps::append_op(merge, candidates[select.ops[c].low],
                                  candidates[select.ops[c].high]);
  }
  networks.output = candidates[wanted];
  bool needed[kMostSmallKernelSamples] = {};
  needed[networks.output] = true;
  rank_network_steps::prune_merge(merge, needed);
  // The rows need sorting only over the positions the merge reads.
  int32_t first = n, last = -1;
  for (int32_t q = 0; q < count; ++q) {
    if (!needed[q]) continue;
    first = q % n < first ? q % n : first;
    last = q % n > last ? q % n : last;
  }
  networks.row = pruned_batcher_network(n, first, last);
  return networks;
}

template <int32_t M, int32_t N, int32_t Rank>
struct FixedRankNetworks {
  static constexpr int32_t kRows = M, kCols = N;
  static constexpr RankNetworks networks = rank_networks(M, N, Rank);
};

#endif
