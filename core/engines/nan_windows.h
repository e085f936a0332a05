// Outputs whose window holds a NaN, set to NaN without being computed.
#ifndef PLORVENT_CORE_ENGINES_NAN_WINDOWS_H
#define PLORVENT_CORE_ENGINES_NAN_WINDOWS_H

#include <cstddef>
#include <cstdint>

#include "core/support/extended_signal.h"

// Outputs first ... last-1 into out[0 ...]: not_a_number where the window holds a NaN, and
// elsewhere running_median_range's bits with zeros by count, computed only on the stretches of
// windows free of NaN (so the NaN themselves never reach an engine). Obtains nothing: `storage`
// holds running_median_storage_bytes(e, W, last-first) bytes.
void medians_between_nan_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                                 double not_a_number, double *out, void *storage);

#endif
