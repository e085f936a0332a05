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
  // Each row k across the columns: inputs c*m + k.
  const Network rows = pruned_batcher_network(n, 0, n - 1);
  for (int32_t k = 0; k < m; ++k) {
    for (int32_t c = 0; c < rows.count; ++c) {
      append(merge, rows.ops[c].low * m + k, rows.ops[c].high * m + k);
    }
  }
  // The candidates: neither surely below the rank nor surely above it.
  const int32_t count = m * n;
  int32_t candidates[kMostSmallKernelSamples], candidate_count = 0, below = 0;
  for (int32_t c = 0; c < n; ++c) {
    for (int32_t k = 0; k < m; ++k) {
      if ((m - k) * (n - c) > count - rank) {
        ++below;
      } else if ((k + 1) * (c + 1) <= rank + 1) {
        candidates[candidate_count++] = c * m + k;
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
  // The columns need sorting only over the rows the merge reads.
  int32_t first = m, last = -1;
  for (int32_t q = 0; q < count; ++q) {
    if (!needed[q]) continue;
    first = q % m < first ? q % m : first;
    last = q % m > last ? q % m : last;
  }
  networks->column = pruned_batcher_network(m, first, last);
}
