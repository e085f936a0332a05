// Middle-rank selection in one window of samples.
#ifndef PLORVENT_CORE_SELECTION_SELECT_MIDDLE_H
#define PLORVENT_CORE_SELECTION_SELECT_MIDDLE_H

#include <cstdint>

// Reorders window[0 ... W-1] in place (a median-of-three quickselect using only `>`) and returns
// the value left at position k = (W-1)/2. For NaN-free windows that is the rank-k element of the
// sorted window. W must be at least 1.
double select_middle(double *window, int32_t W);

#endif
