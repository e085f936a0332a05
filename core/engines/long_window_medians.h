// Windows longer than the run of outputs they serve: a storage and a time that grow with the
// number of outputs, plus one pass over the stretch all their windows share; or, for a padding
// generated from the signal, with the signal alone, however long the windows.
#ifndef PLORVENT_CORE_ENGINES_LONG_WINDOW_MEDIANS_H
#define PLORVENT_CORE_ENGINES_LONG_WINDOW_MEDIANS_H

#include <cstddef>
#include <cstdint>

#include "core/support/extended_signal.h"
#include "core/support/nan_and_zeros.h"

// What the key order says of one window.
enum WindowVerdict : uint8_t {
  kWindowDecided,         // its output is exact
  kWindowHoldsNaN,        // it holds a NaN: its output is one of its samples, not the selection's
  kWindowHoldsBothZeros,  // its median is a zero and it holds both: which one, only selection tells
};

// Ranks are 32-bit: the engine serves at most this many outputs (3 ranks each) in one call, and
// counts signals of at most this many samples.
const int64_t kMostLongWindowOutputs = (INT32_MAX - 2) / 3;

// Scratch needed while the call starts (the keys of the shared stretch, if any), and storage
// needed throughout.
size_t long_window_scratch_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs);
size_t long_window_storage_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs);

// Outputs first ... last-1 (last - first < W, and at most kMostLongWindowOutputs; e.n too when
// the padding is generated) into out[0 ...], each window's verdict into
// verdict[0 ...]. With zeros by count, a zero median of a window free of NaN is decided by the
// window's counts of zeros. Obtains nothing; `scratch` and `storage` are the caller's. Stops
// early, its outputs unspecified, once stop_requested() says so. The samples of e are all read
// before the first output is written, so out may share storage with e.x.
void long_window_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         ZeroSigns zeros, double *out, uint8_t *verdict, void *scratch,
                         void *storage);

#endif
