// Moving medians over windows of any reach: so many samples (or so much time, given the samples'
// times) back and forward of each output, clipped to the signal or padded with a constant.
// Samples that do not count (NaN when omitted, positions outside an unpadded signal) leave each
// window with a count c of its own: its result is the middle value for odd c, the mean of the
// two middle values for even c, and NaN for c = 0 or, when NaN are included, for a window that
// holds one.
#ifndef PLORVENT_CORE_COUNTED_MOVING_MEDIANS_H
#define PLORVENT_CORE_COUNTED_MOVING_MEDIANS_H

#include <cstddef>
#include <cstdint>

// The windows of a signal of n samples. Without times, output i's window is positions
// i-back ... i+forward; with times (ascending, n of them), the positions j whose time lies from
// times[i]-time_back to times[i]+time_forward (that end left out when forward_open).
struct MovingWindows {
  int64_t back;
  int64_t forward;
  const double *times;
  double time_back;
  double time_forward;
  bool forward_open;
  bool padded;  // count windows only: positions outside the signal hold `fill`
  double fill;
  bool omit_nan;
};

// The mean of the two middle values a <= b: a + (b-a)/2 when both are finite and of one sign
// (b-a cannot overflow), (a+b)/2 otherwise (a+b cannot overflow; infinities give what IEEE
// arithmetic gives).
double mean_of_middles(double a, double b);

// The positions lo ... hi of a signal of n samples that the windows of outputs first ... last-1
// reach, with the outputs themselves (first < last). Given only x[lo ... hi], as a signal of its
// own, moving_medians computes those outputs alike.
void moving_reach(const MovingWindows &w, int64_t n, int64_t first, int64_t last, int64_t *lo,
                  int64_t *hi);

// Storage for moving_medians over at most `outputs` outputs whose reach spans at most `span`
// samples.
size_t moving_medians_storage_bytes(const MovingWindows &w, int64_t span, int64_t outputs);

// Outputs first ... last-1 (0 <= first <= last <= n, n < 2^31) into out[0 ...]. Windows of an odd
// length that hold no omitted sample take the fixed-window engines (their bits); the others are
// counted: the samples a segment of outputs reaches are sorted once into ranks, and each
// window's k-th rank is found from the previous window's, a few bit scans a sample (a scan over
// ranks no window holds skips 4096 of them a word).
// Obtains nothing: `storage` is the caller's, aligned for any type.
void moving_medians(const double *x, int64_t n, const MovingWindows &w, int64_t first, int64_t last,
                    double *out, void *storage);

#endif
