// Builds the column and merge networks of the separable rank filter (see rank_networks.h).
#include "core/images/rank_networks.h"

namespace {

void append(MergeNetwork *merge, int32_t low, int32_t high) {
  merge->ops[merge->count++] = {static_cast<uint8_t>(low), static_cast<uint8_t>(high), kMinAndMax};
}

// Walking back from the outputs, keeps only the operations whose results reach a position
// `needed` holds, and leaves in `needed` the positions the kept ones read first.
void prune(MergeNetwork *merge, bool *needed) {
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

}  // namespace

void build_rank_networks(int32_t m, int32_t n, int32_t rank, RankNetworks *networks) {
  MergeNetwork *merge = &networks->merge;
  merge->count = 0;
  // Each column w across the sorted rows: inputs k*n + w.
  const Network columns = pruned_batcher_network(m, 0, m - 1);
  for (int32_t w = 0; w < n; ++w) {
    for (int32_t c = 0; c < columns.count; ++c) {
      append(merge, columns.ops[c].low * n + w, columns.ops[c].high * n + w);
    }
  }
  // The candidates: neither surely below the rank nor surely above it.
  const int32_t count = m * n;
  int32_t candidates[kMostSmallKernelSamples], candidate_count = 0, below = 0;
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
    append(merge, candidates[select.ops[c].low], candidates[select.ops[c].high]);
  }
  networks->output = candidates[wanted];
  bool needed[kMostSmallKernelSamples] = {};
  needed[networks->output] = true;
  prune(merge, needed);
  // The rows need sorting only over the positions the merge reads.
  int32_t first = n, last = -1;
  for (int32_t q = 0; q < count; ++q) {
    if (!needed[q]) continue;
    first = q % n < first ? q % n : first;
    last = q % n > last ? q % n : last;
  }
  networks->row = pruned_batcher_network(n, first, last);
}
