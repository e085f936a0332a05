// The times a window in time holds, bounded exactly. The window of a sample at time t holds the
// samples from t - back to t + forward; computed in doubles, t + forward can round back to t (at
// 1.7e18 a double steps by 256), and the window would lose its own sample or take in one beyond
// its reach. Each bound is therefore rounded to the double on the side that keeps exactly the
// times the exact bound keeps.
#ifndef PLORVENT_CORE_COUNTED_WINDOW_TIMES_H
#define PLORVENT_CORE_COUNTED_WINDOW_TIMES_H

// A window holds the times s with low <= s and s <= high (s < high when its forward end is
// open). Both bounds ascend with t, and low <= t, t <= high (t < high when open, forward > 0).
struct TimeBounds {
  double low;
  double high;
};

TimeBounds window_time_bounds(double t, double back, double forward, bool forward_open);

#endif
