// The windows whose result the sliding engines' key order cannot decide: those holding a NaN,
// and those holding zeros of both signs around a zero median (equal as values, the selection's
// exchanges decide which comes out). They are found and recomputed the per-window way.
#ifndef PLORVENT_CORE_ENGINES_INEXACT_WINDOWS_H
#define PLORVENT_CORE_ENGINES_INEXACT_WINDOWS_H

#include <cstdint>

#include "core/support/extended_signal.h"
#include "core/support/nan_and_zeros.h"

// Which of NaN, -0.0 and +0.0 the samples that the windows of outputs first ... last-1 hold
// include.
SpecialsSeen specials_in_reach(const ExtendedSignal &e, int64_t first, int64_t last);

// How many of the windows of outputs first ... last-1 hold a NaN.
int64_t windows_holding_nan(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last);

// Recomputes by the per-window selection, in `window` (W doubles), every output whose window
// holds a NaN, or (zeros as selected) zeros of both signs when its median is a zero; with zeros
// by count, gives every other zero median the sign of the window's zeros.
void patch_inexact_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                           ZeroSigns zeros, double *out, double *window);

// Gives every zero output of a window free of NaN the sign of the window's zeros: -0.0 when it
// holds no +0.0 (each zero output is one of its window's samples, so a window without +0.0
// holds -0.0 alone), as the counts would say.
void sign_zeros_by_count(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         double *out);

#endif
