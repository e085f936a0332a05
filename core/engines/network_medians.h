// Short-window engine: a selection network across SIMD lanes, for odd W from 3 to
// longest_network_window() (what the processor's vectors serve faster than the block engine, at
// most kLongestNetworkWindow). Like every sliding engine it computes outputs first ... last-1 of
// e (0 <= first < last <= e.n) into out[0 ...], exact for every window the key order decides.
#ifndef PLORVENT_CORE_ENGINES_NETWORK_MEDIANS_H
#define PLORVENT_CORE_ENGINES_NETWORK_MEDIANS_H

#include <cstddef>
#include <cstdint>

#include "core/support/extended_signal.h"

constexpr int32_t kLongestNetworkWindow = 63;
int32_t longest_network_window();

size_t network_storage_bytes(int32_t W);

// Returns true when no sample of the windows is a NaN or a zero: then every output is exact and
// nothing needs patching (the check rides on the network's own reading of the samples).
bool network_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last, double *out,
                     void *storage);

#endif
