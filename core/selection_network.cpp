// Builds median-selection networks from Batcher's odd-even merge sort.
#include "selection_network.h"

namespace {

// Batcher's odd-even merge sort for `size` (a power of two) inputs, keeping only comparators
// among the first W positions: the others would compare with padding that sorts last, and
// never move anything.
int32_t batcher_comparators(int32_t size, int32_t W, NetworkOp *ops) {
  int32_t count = 0;
  for (int32_t p = 1; p < size; p <<= 1) {
    for (int32_t k = p; k >= 1; k >>= 1) {
      for (int32_t j = k % p; j + k < size; j += 2 * k) {
        for (int32_t i = 0; i < k && i + j + k < size; ++i) {
          const int32_t low = i + j, high = i + j + k;
          if (low / (2 * p) == high / (2 * p) && high < W) {
            ops[count++] = {static_cast<uint8_t>(low), static_cast<uint8_t>(high), kMinAndMax};
          }
        }
      }
    }
  }
  return count;
}

}  // namespace

int32_t build_median_network(int32_t W, NetworkOp *ops) {
  int32_t size = 1;
  while (size < W) size <<= 1;
  const int32_t all = batcher_comparators(size, W, ops);
  // Walk backwards from the output, keeping an operation only if a result it writes is needed,
  // and then needing both its inputs.
  bool needed[kLongestNetworkWindow + 1] = {};
  needed[(W - 1) / 2] = true;
  int32_t kept = all;
  for (int32_t c = all - 1; c >= 0; --c) {
    NetworkOp op = ops[c];
    const bool min_used = needed[op.low], max_used = needed[op.high];
    if (!min_used && !max_used) continue;
    op.kind = min_used && max_used ? kMinAndMax : (min_used ? kMinOnly : kMaxOnly);
    needed[op.low] = needed[op.high] = true;
    ops[--kept] = op;
  }
  // Move the kept operations, now at the end, to the front.
  for (int32_t c = kept; c < all; ++c) ops[c - kept] = ops[c];
  return all - kept;
}
