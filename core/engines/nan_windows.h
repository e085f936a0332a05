// Outputs whose window holds a NaN, set to NaN without being computed.
#ifndef PLORVENT_CORE_ENGINES_NAN_WINDOWS_H
#define PLORVENT_CORE_ENGINES_NAN_WINDOWS_H

#include <cstddef>
#include <cstdint>

#include "core/support/extended_signal.h"

// Storage for medians_between_nan_windows over at most `outputs` outputs.
size_t nan_windows_storage_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs);

// Outputs first ... last-1 into out[0 ...]: not_a_number where the window holds a NaN, and
// elsewhere running_median_range's bits, computed only on the stretches of windows free of NaN
// (so the NaN themselves never reach an engine). Obtains nothing.
void medians_between_nan_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                                 double not_a_number, double *out, void *storage);

#endif
