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

// For an m-by-n window (m*n <= kMostSmallKernelSamples) and a rank below m*n.
void build_rank_networks(int32_t m, int32_t n, int32_t rank, RankNetworks *networks);

#endif
