// Selection networks: a fixed sequence of min/max operations that leaves chosen ranks of their
// inputs at those positions. Being branch-free, one network runs on several neighbouring
// windows at once, one window per SIMD lane; built at compile time, its operations are
// expanded with the samples kept in registers.
#ifndef PLORVENT_CORE_ENGINES_SELECTION_NETWORK_H
#define PLORVENT_CORE_ENGINES_SELECTION_NETWORK_H

#include <cstdint>

// Batcher's odd-even merge sort on 64 inputs has 543 comparators.
constexpr int32_t kMostNetworkInputs = 64;
constexpr int32_t kMostNetworkOps = 543;

enum NetworkOpKind : uint8_t {
  kMinAndMax,  // position low gets the minimum, high the maximum
  kMinOnly,    // only the minimum is used later
  kMaxOnly,    // only the maximum is used later
};

struct NetworkOp {
  uint8_t low;
  uint8_t high;
  NetworkOpKind kind;
};

struct Network {
  int32_t count;
  NetworkOp ops[kMostNetworkOps];
};

// Batcher's odd-even merge sort for the next power of two of `inputs`, pruned twice: to the
// comparators among the first `inputs` positions (the others would compare with padding that
// sorts last, and never move anything), then, walking back from the outputs, to the operations
// whose results reach ranks first_rank ... last_rank. 1 <= inputs <= kMostNetworkInputs.
constexpr Network pruned_batcher_network(int32_t inputs, int32_t first_rank, int32_t last_rank) {
  Network all{};
  int32_t size = 1;
  while (size < inputs) size <<= 1;
  for (int32_t p = 1; p < size; p <<= 1) {
    for (int32_t k = p; k >= 1; k >>= 1) {
      for (int32_t j = k % p; j + k < size; j += 2 * k) {
        for (int32_t i = 0; i < k && i + j + k < size; ++i) {
          const int32_t low = i + j, high = i + j + k;
          if (low / (2 * p) == high / (2 * p) && high < inputs) {
            all.ops[all.count++] = {static_cast<uint8_t>(low), static_cast<uint8_t>(high),
                                    kMinAndMax};
          }
        }
      }
    }
  }
  // Keep an operation only if a result it writes is needed, and then need both its inputs.
  bool needed[kMostNetworkInputs] = {};
  for (int32_t r = first_rank; r <= last_rank; ++r) needed[r] = true;
  int32_t kept = all.count;
  for (int32_t c = all.count - 1; c >= 0; --c) {
    NetworkOp op = all.ops[c];
    const bool min_used = needed[op.low], max_used = needed[op.high];
    if (!min_used && !max_used) continue;
    op.kind = min_used && max_used ? kMinAndMax : (min_used ? kMinOnly : kMaxOnly);
    needed[op.low] = needed[op.high] = true;
    all.ops[--kept] = op;
  }
  Network pruned{};
  for (int32_t c = kept; c < all.count; ++c) pruned.ops[pruned.count++] = all.ops[c];
  return pruned;
}

// Neighbouring windows of W = 2*k+1 samples share W-1 of them. The network below leaves ranks
// k-1 and k of those W-1 at positions k-1 and k; each window's median is then its own extra
// sample clamped between the two, so one network serves two windows.
template <int32_t W>
struct SharedPairNetwork {
  static constexpr int32_t k = (W - 1) / 2;
  static constexpr Network network = pruned_batcher_network(W - 1, k - 1, k);
};

#endif
