// Short windows sorted across SIMD lanes: each window's quantile or MAD read straight from its
// samples in order, with no branch on a sample. Each lane of a vector slides a sorted window along
// a stretch of outputs of its own, deleting the sample that leaves and inserting the one that
// enters by compare-exchanges on every row; the quantile is then one or two rows, and the MAD the
// middle of the deviations below and above the median, two runs already in order. Every window
// gets the bits the counted engine gives it (core/counted/window_statistics.h).
#ifndef PLORVENT_CORE_COUNTED_LANE_SORTED_WINDOWS_H
#define PLORVENT_CORE_COUNTED_LANE_SORTED_WINDOWS_H

#include <cstdint>

#include "core/counted/window_statistics.h"

// What every window of W samples gives: the MAD around its median, or the quantile at `position`
// among its sorted samples (a median is the quantile at the middle rank or between the two).
struct LaneStatistic {
  bool mad;
  QuantilePosition position;
};

LaneStatistic lane_statistic(const MovingStatistic &statistic, int32_t W);

// The longest window the engine serves with the vectors in use: beyond it the counted engine is
// faster.
int32_t longest_lane_sorted_window();

// Whether the engine serves windows of W samples now: W from 2 to the longest, subnormals
// compared as IEEE says (with them read as zero the lanes' order is not the counted engine's),
// and results rounded to nearest (which the lanes' shortcuts to the counted engine's bits assume).
bool lane_sorted_windows_serve(int32_t W);

// For i = 0 ... count-1, the statistic of the W samples x[i ... i+W-1] (W as the engine serves)
// into values[i] and, for the MAD, their median into medians[i] (unless null). A zero median or
// quantile is -0.0 when the window's zeros are all -0.0, +0.0 otherwise. Returns false, the outputs
// unspecified, when a sample is NaN: which windows hold one is seen only as the lanes read the
// samples, so that signals without NaN are read once. Obtains nothing.
bool lane_sorted_statistics(const double *x, int64_t count, int32_t W, const LaneStatistic &s,
                            double *values, double *medians);

#endif
