// Selection networks: a fixed sequence of min/max operations that leaves the rank-k value of W
// inputs at position k. Being branch-free, one network runs on several neighbouring windows at
// once, one window per SIMD lane.
#ifndef PLORVENT_CORE_SELECTION_NETWORK_H
#define PLORVENT_CORE_SELECTION_NETWORK_H

#include <cstdint>

// The longest window a network is built for.
const int32_t kLongestNetworkWindow = 63;
// Batcher's odd-even merge sort on 64 inputs has 543 comparators.
const int32_t kMostNetworkOps = 543;

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

// Writes to ops the network that selects rank k = (W-1)/2 of W inputs (1 <= W <= 63): Batcher's
// sorting network pruned to the operations that reach position k. Returns the count.
int32_t build_median_network(int32_t W, NetworkOp *ops);

#endif
