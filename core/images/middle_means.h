// The median of an even window: the mean of its two middle values a <= b, in their class, as
// MATLAB's medfilt2 takes it. Integers (logical among them) give their exact mean with the
// fraction discarded, towards zero, however large; single and double a + (b-a)/2 when both are
// finite and of one sign (a zero of neither), so that it cannot overflow, and (a+b)/2 otherwise.
#ifndef PLORVENT_CORE_IMAGES_MIDDLE_MEANS_H
#define PLORVENT_CORE_IMAGES_MIDDLE_MEANS_H

#include <cstdint>

#include "core/jobs/sample_types.h"

// low(i, j) becomes the mean of itself and high(i, j), for rows x cols values of class `type`,
// column-major with leading dimensions low_ld and high_ld; each high value is at least its low.
void mean_with_next_ranks(SampleType type, void *low, int64_t low_ld, const void *high,
                          int64_t high_ld, int64_t rows, int64_t cols);

#endif
