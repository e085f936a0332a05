// Moving statistics, the dispatcher: which positions each output's window holds, and which
// engine computes it. The fixed-window engines serve medians wherever a window is odd, whole and
// holds no omitted sample; other whole windows of a count of samples free of NaN are sorted in
// SIMD lanes (core/counted/lane_sorted_windows.h) up to the length where that pays, and beyond it
// their quantiles and even medians go to the block engine (core/counted/block_ranked_windows.h),
// as do the medians and quantiles of long whole windows holding omitted NaN and of the windows at
// the ends (omitting the positions outside the signal); the remaining short windows are kept sorted
// (core/counted/sorted_windows.h); every other window is counted (core/counted/counted_windows.h),
// a segment of outputs at a time.
#include "core/counted/moving_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/counted/block_ranked_windows.h"
#include "core/counted/counted_windows.h"
#include "core/counted/lane_sorted_windows.h"
#include "core/counted/sorted_windows.h"
#include "core/counted/window_outputs.h"
#include "core/counted/window_times.h"
#include "core/engines/nan_windows.h"
#include "core/running_median.h"
#include "core/support/nan_and_zeros.h"
#include "core/support/storage_layout.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A segment serves at least this many outputs, and four times its window, so that sorting
// the samples it reaches costs little beside sliding over them.
const int64_t kFewestSegmentOutputs = 1 << 12;

// ---- Windows ----

bool has_times(const MovingWindows &w) {
  return w.times != nullptr;
}

// A NaN padding that is omitted is no padding at all.
MovingWindows normalised(const MovingWindows &w, int64_t n) {
  MovingWindows v = w;
  if (v.padded && v.omit_nan && std::isnan(v.fill)) v.padded = false;
  if (!v.padded) {  // beyond the signal's length, reach changes nothing
    v.back = std::min(v.back, n);
    v.forward = std::min(v.forward, n);
  }
  return v;
}

// The signal's positions lo ... hi a window reaches (lo > hi when none), kept for output i and
// moved forward as i grows: each bound only ever advances.
struct Reach {
  int64_t lo;
  int64_t hi;
};

bool within_forward(const MovingWindows &w, double t, double limit) {
  return w.forward_open ? t < limit : t <= limit;
}

TimeBounds time_bounds(const MovingWindows &w, int64_t i) {
  return window_time_bounds(w.times[i], w.time_back, w.time_forward, w.forward_open);
}

Reach first_reach(const MovingWindows &w, int64_t n, int64_t i) {
  if (!has_times(w)) return {std::max<int64_t>(0, i - w.back), std::min(n - 1, i + w.forward)};
  const TimeBounds b = time_bounds(w, i);
  const double *lo = std::lower_bound(w.times, w.times + n, b.low);
  const double *hi = w.forward_open ? std::lower_bound(w.times, w.times + n, b.high)
                                    : std::upper_bound(w.times, w.times + n, b.high);
  return {lo - w.times, (hi - w.times) - 1};
}

void advance_reach(const MovingWindows &w, int64_t n, int64_t i, Reach *r) {
  if (!has_times(w)) {
    *r = {std::max<int64_t>(0, i - w.back), std::min(n - 1, i + w.forward)};
    return;
  }
  const TimeBounds b = time_bounds(w, i);
  while (r->lo < n && w.times[r->lo] < b.low) ++r->lo;
  while (r->hi + 1 < n && within_forward(w, w.times[r->hi + 1], b.high)) ++r->hi;
}

// Copies of the padding constant in output i's window.
int64_t padding_count(const MovingWindows &w, int64_t n, int64_t i) {
  if (!w.padded) return 0;
  return std::max<int64_t>(0, w.back - i) + std::max<int64_t>(0, i + w.forward - (n - 1));
}

// The fixed engines' storage, the block engine's, then the counted structure's, then an outlier
// test's chunk of MADs and medians.
struct MovingRoom {
  char *fixed;
  void *blocks;
  double *end_samples;  // the samples an end's windows reach, NaN outside the signal
  bool ends_by_blocks;  // whether the ends go to the block engine (its room and theirs taken)
  CountedRoom counted;
  double *scratch;
};

// ---- Counted windows ----

int64_t segment_outputs(const MovingWindows &w, int64_t n) {
  return std::min(n, std::max(kFewestSegmentOutputs, 4 * (w.back + w.forward)));
}

// The most samples one segment reaches, of the `span` samples that `outputs` outputs reach.
// Windows in time may hold any number of samples, so one segment may reach them all.
int64_t segment_span(const MovingWindows &w, int64_t span, int64_t outputs) {
  if (has_times(w)) return span;
  return std::min(span, std::min(outputs, segment_outputs(w, span)) + w.back + w.forward);
}

// A segment of windows in time serves at least this many outputs, and sixteen times the window
// it ends at: its ranks stay few enough for the caches (one set over a whole signal of 10^6
// samples spreads every step across it, twice as slow and more), and the window's worth of
// samples each segment ranks and inserts again is a sixteenth of its work.
const int64_t kFewestTimeSegmentOutputs = 1 << 16;
const int64_t kTimeSegmentWindows = 16;

// The end of the segment of outputs from a (at most b). Windows in time hold as many samples as
// the times decide: each try that falls short asks for kTimeSegmentWindows times the window it
// ended at, so growing windows take a few tries, each a search of the times.
int64_t segment_end(const MovingWindows &w, int64_t n, int64_t a, int64_t b) {
  if (!has_times(w)) return std::min(b, a + segment_outputs(w, n));
  int64_t end = a + kFewestTimeSegmentOutputs;
  while (end < b) {
    const Reach r = first_reach(w, n, end - 1);
    const int64_t wanted = kTimeSegmentWindows * (r.hi - r.lo + 1);
    if (end - a >= wanted) return end;
    end = a + wanted;
  }
  return b;
}

// Outputs a ... b-1 (one segment) into their outputs from 0 on.
void counted_segment(const double *x, int64_t n, const MovingWindows &w, int64_t a, int64_t b,
                     const Outputs &out, const CountedRoom &room) {
  Reach reach = first_reach(w, n, a);
  const Reach last = first_reach(w, n, b - 1);
  Counted c;
  start_counted(x, reach.lo, last.hi, w, out.statistic, room, &c);
  for (int64_t i = a; i < b; ++i) {
    if ((i - a) % kWindowsBetweenPolls == kWindowsBetweenPolls - 1 && stop_requested()) return;
    if (i > a) advance_reach(w, n, i, &reach);
    slide_counted(&c, reach.lo, reach.hi);
    finish_counted(&c, w, padding_count(w, n, i), out, i - a);
  }
}

void counted_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a, int64_t b,
                        const Outputs &out, const CountedRoom &room) {
  if (a >= b) return;
  if (sorted_windows_serve(w)) {
    sorted_window_statistics(x, n, w, a, b, out);
    return;
  }
  for (int64_t s = a, e = a; s < b && !stop_requested(); s = e) {
    e = segment_end(w, n, s, b);
    counted_segment(x, n, w, s, e, from(out, s - a), room);
  }
}

// ---- Runs of windows holding NaN ----

// Outputs from ... to-1 hold a NaN (none when from == to); NaN after `scan` are still to be seen.
struct NanRun {
  int64_t from;
  int64_t to;
  int64_t scan;
};

// The next run of outputs from i on (before b) whose windows hold a NaN at or after position t.
// Omitted NaN close together make one run, whose windows are counted; so do omitted NaN that
// leave fewer than `gap` windows between their runs (an engine is slow to start: at least a
// window's length). A run of a NaN that counts is the windows that hold it. Windows are of a count
// of samples.
NanRun next_nan_run(const double *x, int64_t n, const MovingWindows &w, int64_t i, int64_t t,
                    int64_t b, int64_t gap) {
  const int64_t end = std::min(n, b + w.forward);
  const int64_t nan = next_nan(x, t, end);
  if (nan == end) return {b, b, end};
  // Outputs nan-forward ... nan+back hold it.
  NanRun run = {std::max(i, nan - w.forward), std::min(b, nan + w.back + 1), nan + 1};
  while (w.omit_nan) {
    const int64_t reach = std::min(n, run.to + w.forward + 1 + gap);
    const int64_t more = next_nan(x, run.scan, reach);
    if (more >= reach) break;
    run.to = std::min(b, more + w.back + 1);
    run.scan = more + 1;
  }
  return run;
}

// Outputs a ... b-1 of `out`, whose windows hold a NaN that counts: no statistic, and none
// computed.
void none_computed(const Outputs &out, int64_t a, int64_t b) {
  std::fill(out.values + a, out.values + b, kNaN);
  if (out.medians) std::fill(out.medians + a, out.medians + b, kNaN);
}

// ---- Whole windows holding omitted NaN ----

// Whether the block engine serves windows of a count of samples, some of them omitted: too long
// to be kept sorted, of a median or quantile, for outputs whose windows reach `span` samples.
bool omitting_blocks_serve(const MovingWindows &w, const MovingStatistic &s, bool exact,
                           int64_t span) {
  const int64_t W = w.back + w.forward + 1;
  return !has_times(w) && !sorted_windows_serve(w) && W <= span &&
         block_omitting_windows_serve(s, W, exact);
}

// Whether it serves whole windows holding omitted NaN.
bool omitted_nan_blocks_serve(const MovingWindows &w, const MovingStatistic &s, bool exact,
                              int64_t n) {
  return w.omit_nan && omitting_blocks_serve(w, s, exact, n);
}

// Outputs a ... b-1 into `out` from 0 on: where NaN are omitted, the whole windows through the
// block engine where it serves them (any of their windows may hold NaN); the others counted.
void omitted_nan_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a,
                            int64_t b, const Outputs &out, const MovingRoom &room) {
  if (!omitted_nan_blocks_serve(w, out.statistic, out.exact != nullptr, n)) {
    counted_statistics(x, n, w, a, b, out, room.counted);
    return;
  }
  const int64_t whole_from = std::clamp(w.back, a, b);
  const int64_t whole_to = std::clamp(n - w.forward, whole_from, b);
  const int32_t W = static_cast<int32_t>(w.back + w.forward + 1);  // as the engine serves
  counted_statistics(x, n, w, a, whole_from, out, room.counted);
  block_ranked_statistics(x + whole_from - w.back, whole_to - whole_from, W, true,
                          from(out, whole_from - a), room.blocks);
  counted_statistics(x, n, w, whole_to, b, from(out, whole_to - a), room.counted);
}

// ---- Windows at the ends ----

// Whether it serves the windows that reach past the signal's ends, shrunk to what they hold of
// it: each becomes a whole window with its positions outside the signal NaN and omitted.
bool ends_by_blocks(const MovingWindows &w, const MovingStatistic &s, bool exact, int64_t span) {
  return !w.padded && omitting_blocks_serve(w, s, exact, span);
}

// The most outputs at one end: those whose windows reach past it.
int64_t end_outputs(const MovingWindows &w) {
  return std::max(w.back, w.forward);
}

// Outputs a ... b-1, at one end (at most end_outputs of them), into `out` from 0 on: by the block
// engine where it serves them and their samples hold no NaN that counts; counted otherwise.
void end_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a, int64_t b,
                    const Outputs &out, const MovingRoom &room) {
  if (a >= b) return;
  const int64_t lo = a - w.back, hi = b + w.forward;  // the positions the windows reach, hi not
  const int64_t from = std::max<int64_t>(0, lo), to = std::min(n, hi);
  if (!room.ends_by_blocks || (!w.omit_nan && next_nan(x, from, to) != to)) {
    counted_statistics(x, n, w, a, b, out, room.counted);
    return;
  }
  double *samples = room.end_samples;
  for (int64_t t = lo; t < hi; ++t) samples[t - lo] = t >= from && t < to ? x[t] : kNaN;
  const int32_t W = static_cast<int32_t>(w.back + w.forward + 1);
  block_ranked_statistics(samples, b - a, W, true, out, room.blocks);
}

// ---- Whole windows sorted in lanes ----

// The lanes take so many outputs at a time: a block holding a NaN is done again, its windows
// holding NaN counted. A block is also as often as a Ctrl-C is looked for.
const int64_t kLaneBlockOutputs = 1 << 13;
// Among windows holding omitted NaN, a clean stretch goes to the lanes from so many windows'
// lengths on.
const int64_t kLaneStartWindows = 8;

struct LaneWindows {
  int32_t W;
  LaneStatistic statistic;
  int64_t whole_to;  // the outputs whose windows lie whole in the signal end here
  int64_t first;     // the output written to out.values[0]
};

// Outputs i ... last-1 into the lanes; false if one of their windows holds a NaN.
// An outlier test takes the lanes' MADs and medians a chunk at a time, while they are at hand.
bool lanes_tested(const double *x, const MovingWindows &w, const LaneWindows &lanes, int64_t i,
                  int64_t last, const Outputs &out) {
  double *mads = out.outliers.scratch, *medians = mads + kOutlierChunk;
  for (int64_t j = i; j < last; j += kOutlierChunk) {
    const int64_t count = std::min(kOutlierChunk, last - j);
    if (!lane_sorted_statistics(x + j - w.back, count, lanes.W, lanes.statistic, mads, medians)) {
      return false;
    }
    const OutlierOutputs at = shifted(out.outliers, j - lanes.first);
    for (int64_t k = 0; k < count; ++k) finish_double_outlier(at, k, medians[k], mads[k]);
  }
  return true;
}

bool lanes_served(const double *x, const MovingWindows &w, const LaneWindows &lanes, int64_t i,
                  int64_t last, const Outputs &out) {
  if (out.outliers.active) return lanes_tested(x, w, lanes, i, last, out);
  const Outputs at = from(out, i - lanes.first);
  return lane_sorted_statistics(x + i - w.back, last - i, lanes.W, lanes.statistic, at.values,
                                at.medians);
}

// Outputs i ... block_to-1, all whole windows, screened for NaN first: those before the first
// window holding one (and before block_to) go to the lanes, the windows holding it (and, omitted,
// those of the NaN close after it) are counted or, omitted, go where omitted_nan_statistics sends
// them. Returns where it stopped, and whether it found a NaN.
int64_t screened_block(const double *x, int64_t n, const MovingWindows &w, const LaneWindows &lanes,
                       int64_t i, int64_t block_to, const Outputs &out, const MovingRoom &room,
                       bool *found) {
  const int64_t end = block_to + w.forward;
  const int64_t nan = next_nan(x, i - w.back, end);
  *found = nan != end;
  const int64_t clean_to = std::min(block_to, nan - w.forward);
  int64_t next = *found ? std::min(lanes.whole_to, nan + w.back + 1) : block_to;
  // Omitted NaN close together within the block make one run. Where the block engine takes it,
  // only a long clean stretch is worth the lanes, each of which starts by sorting a window.
  if (*found && w.omit_nan) {
    const int64_t W = w.back + w.forward + 1;
    const bool blocks = omitted_nan_blocks_serve(w, out.statistic, out.exact != nullptr, n);
    next = std::max(next,
                    next_nan_run(x, n, w, i, nan, block_to, blocks ? kLaneStartWindows * W : W).to);
  }
  int64_t counted_from = i;
  if (clean_to - i >= lanes.W) {
    lanes_served(x, w, lanes, i, clean_to, out);
    counted_from = clean_to;
  }
  int64_t counted_to = next;  // the windows holding a NaN that counts are NaN, if not tested
  if (*found && !w.omit_nan && !out.outliers.active) counted_to = std::max(counted_from, clean_to);
  omitted_nan_statistics(x, n, w, counted_from, counted_to, from(out, counted_from - lanes.first),
                         room);
  none_computed(out, counted_to - lanes.first, next - lanes.first);
  return next;
}

bool lanes_serve(const MovingWindows &w, bool exact) {
  const int64_t W = w.back + w.forward + 1;
  return !has_times(w) && !exact && W <= longest_lane_sorted_window() &&
         lane_sorted_windows_serve(static_cast<int32_t>(W));
}

// ---- Whole windows by sorted blocks ----

// Whether the block engine serves whole windows: too long for the lanes or to be kept sorted, and
// a statistic it computes (`s` as the engines compute it).
bool blocks_serve(const MovingWindows &w, const MovingStatistic &s, bool exact, int64_t n) {
  const int64_t W = w.back + w.forward + 1;
  return !has_times(w) && !sorted_windows_serve(w) && !lanes_serve(w, exact) && W <= n &&
         block_ranked_windows_serve(s, W, exact);
}

// Whether whole windows holding a NaN that counts are set to NaN without being counted: as
// doubles, with no outlier test (its missing windows have results of their own), for windows of
// a count of samples too long to be kept sorted.
bool nan_windows_skipped(const MovingWindows &w, const Outputs &out) {
  return !has_times(w) && !w.omit_nan && out.exact == nullptr && !out.outliers.active &&
         !sorted_windows_serve(w);
}

// Outputs a ... b-1: whole windows free of NaN through the block engine (or, without `blocks`,
// counted), those holding a NaN that counts set to NaN, every other one counted. A NaN that counts
// leaves a window's length of windows uncounted, which pays for the count of the next stretch.
void whole_window_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a,
                             int64_t b, const Outputs &out, const MovingRoom &room, bool blocks) {
  const int64_t whole_from = std::clamp(w.back, a, b);
  const int64_t whole_to = std::clamp(n - w.forward, whole_from, b);
  end_statistics(x, n, w, a, whole_from, out, room);
  int64_t i = whole_from;  // outputs before i are done
  for (int64_t t = i - w.back; i < whole_to && !stop_requested();) {
    const NanRun run = next_nan_run(x, n, w, i, t, whole_to, w.back + w.forward + 1);
    if (!blocks) {
      counted_statistics(x, n, w, i, run.from, from(out, i - a), room.counted);
    } else if (run.from > i) {
      const int32_t W = static_cast<int32_t>(w.back + w.forward + 1);  // as the engine serves
      block_ranked_statistics(x + i - w.back, run.from - i, W, false, from(out, i - a),
                              room.blocks);
    }
    if (w.omit_nan) {
      omitted_nan_statistics(x, n, w, run.from, run.to, from(out, run.from - a), room);
    } else {
      none_computed(out, run.from - a, run.to - a);
    }
    i = run.to;
    t = run.scan;
  }
  end_statistics(x, n, w, whole_to, b, from(out, whole_to - a), room);
}

// ---- Any windows ----

// Outputs a ... b-1: those whose windows lie whole in the signal and hold no NaN, in stretches of
// at least a window's length, are sorted in lanes where that engine serves the window's length;
// the others are counted. Blocks go to the lanes unscreened (the lanes see a NaN as they read the
// samples) until one holds a NaN; from then on each block is screened first, until one holds none.
void sorted_or_counted_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a,
                                  int64_t b, const Outputs &out, const MovingRoom &room) {
  const bool blocks = blocks_serve(w, out.statistic, out.exact != nullptr, n);
  if (blocks || (!lanes_serve(w, out.exact != nullptr) && nan_windows_skipped(w, out))) {
    whole_window_statistics(x, n, w, a, b, out, room, blocks);
    return;
  }
  if (!lanes_serve(w, out.exact != nullptr)) {
    counted_statistics(x, n, w, a, b, out, room.counted);
    return;
  }
  const int32_t W = static_cast<int32_t>(w.back + w.forward + 1);
  const int64_t whole_from = std::clamp(w.back, a, b);
  const LaneWindows lanes = {W, lane_statistic(out.statistic, W),
                             std::clamp(n - w.forward, whole_from, b), a};
  end_statistics(x, n, w, a, whole_from, out, room);
  bool screen = false;
  for (int64_t i = whole_from; i < lanes.whole_to && !stop_requested();) {
    // The last block is stretched rather than left short.
    int64_t block_to = std::min(lanes.whole_to, i + kLaneBlockOutputs);
    if (lanes.whole_to - block_to < kLaneBlockOutputs / 2) block_to = lanes.whole_to;
    if (!screen && lanes_served(x, w, lanes, i, block_to, out)) {
      i = block_to;
      continue;
    }
    i = screened_block(x, n, w, lanes, i, block_to, out, room, &screen);
  }
  end_statistics(x, n, w, lanes.whole_to, b, from(out, lanes.whole_to - a), room);
}

// ---- The fixed-window engines ----

// The medians (of doubles) of odd windows of count windows no longer than the signal.
bool fixed_engine_serves(const MovingWindows &w, const MovingStatistic &s, bool exact, int64_t n) {
  const int64_t W = w.back + w.forward + 1;
  return s.kind == kMedianStatistic && !exact && !has_times(w) && W % 2 == 1 && W <= n;
}

// Output i's window is the fixed engine's window centred on i + shift.
struct FixedWindows {
  ExtendedSignal e;
  int32_t W;
  int64_t shift;
  int64_t first;  // the outputs it serves: whole windows (or, padded, centres in the signal)
  int64_t last;
};

FixedWindows fixed_windows(const double *x, int64_t n, const MovingWindows &w) {
  FixedWindows f;
  f.W = static_cast<int32_t>(w.back + w.forward + 1);
  const int64_t W2 = (f.W - 1) / 2;
  f.e = {x, nullptr, nullptr, n, W2, kConstantPadding, w.padded ? w.fill : 0.0};
  f.shift = (w.forward - w.back) / 2;
  f.first = w.padded ? -f.shift : w.back;
  f.last = w.padded ? n - f.shift : n - w.forward;
  return f;
}

// Outputs a ... b-1, all served by the fixed engine when their windows hold no NaN; windows
// that hold one are counted (NaN omitted).
void omitting_medians(const double *x, int64_t n, const MovingWindows &w, const FixedWindows &f,
                      int64_t a, int64_t b, double *out, void *engine, const MovingRoom &room) {
  int64_t i = a;  // outputs before i are done
  for (int64_t t = std::max<int64_t>(0, a - w.back); i < b;) {
    const NanRun run = next_nan_run(x, n, w, i, t, b, w.back + w.forward + 1);
    if (run.from > i) {
      running_median_range(f.e, f.W, i + f.shift, run.from + f.shift, kZerosByCount, out + (i - a),
                           engine);
    }
    omitted_nan_statistics(x, n, w, run.from, run.to,
                           {median_statistic(), nullptr, out + (run.from - a), nullptr, {}}, room);
    i = run.to;
    t = run.scan;
  }
}

void fixed_medians(const double *x, int64_t n, const MovingWindows &w, const FixedWindows &f,
                   int64_t a, int64_t b, double *out, void *engine, const MovingRoom &room) {
  if (w.omit_nan) {
    omitting_medians(x, n, w, f, a, b, out, engine, room);
  } else {
    medians_between_nan_windows(f.e, f.W, a + f.shift, b + f.shift, kNaN, out, engine);
  }
}

// For `outputs` outputs whose windows, with the outputs themselves, reach `span` samples: the
// fixed engines serve only where a whole window fits in that span.
MovingRoom carve_moving_room(StorageLayout &s, const MovingWindows &w,
                             const MovingStatistic &statistic, bool exact, int64_t span,
                             int64_t outputs) {
  MovingRoom room;
  size_t fixed_bytes = 0;
  if (fixed_engine_serves(w, statistic, exact, span)) {
    const FixedWindows f = fixed_windows(nullptr, span, w);
    fixed_bytes = running_median_storage_bytes(f.e, f.W, outputs);
  }
  room.fixed = take_bytes(s, fixed_bytes);
  const MovingStatistic engine = engine_statistic(statistic);
  const bool ends = ends_by_blocks(w, engine, exact, span);
  const bool blocks = ends || blocks_serve(w, engine, exact, span) ||
                      omitted_nan_blocks_serve(w, engine, exact, span);
  room.blocks = take_bytes(
      s, blocks ? block_ranked_storage_bytes(static_cast<int32_t>(w.back + w.forward + 1), outputs)
                : 0);
  room.end_samples = take<double>(s, ends ? end_outputs(w) + w.back + w.forward : 0);
  room.ends_by_blocks = ends;
  room.counted = carve_counted_room(s, segment_span(w, span, outputs), engine);
  room.scratch = take<double>(s, is_outlier_test(statistic) ? 2 * kOutlierChunk : 0);
  return room;
}

// How many positions the windows of outputs first ... last-1 reach, with the outputs themselves.
Reach reach_of_outputs(const MovingWindows &w, int64_t n, int64_t first, int64_t last) {
  const Reach a = first_reach(w, n, first), b = first_reach(w, n, last - 1);
  return {std::min(a.lo, first), std::max(b.hi, last - 1)};
}

}  // namespace

void moving_reach(const MovingWindows &windows, int64_t n, int64_t first, int64_t last, int64_t *lo,
                  int64_t *hi) {
  const Reach r = reach_of_outputs(normalised(windows, n), n, first, last);
  *lo = r.lo;
  *hi = r.hi;
}

size_t moving_statistics_storage_bytes(const MovingWindows &windows,
                                       const MovingStatistic &statistic, bool exact, int64_t span,
                                       int64_t outputs) {
  const MovingWindows w = normalised(windows, span);
  const MovingStatistic s = normalised_statistic(statistic);
  return bytes_taken_by(
      [&](StorageLayout &layout) { carve_moving_room(layout, w, s, exact, span, outputs); });
}

void moving_statistics(const double *x, int64_t n, const MovingWindows &windows,
                       const MovingStatistic &statistic, const ExactArithmetic *exact,
                       int64_t first, int64_t last, const StatisticResults &results,
                       void *storage) {
  if (first >= last) return;
  const MovingWindows w = normalised(windows, n);
  const MovingStatistic s = normalised_statistic(statistic);
  StorageLayout layout = carving_layout(storage);
  const Reach reach = reach_of_outputs(w, n, first, last);
  const MovingRoom moving =
      carve_moving_room(layout, w, s, exact != nullptr, reach.hi - reach.lo + 1, last - first);
  const Outputs out = outputs_to(s, exact, results, x + first, moving.scratch);
  if (!fixed_engine_serves(w, out.statistic, exact != nullptr, n)) {
    sorted_or_counted_statistics(x, n, w, first, last, out, moving);
    return;
  }
  const FixedWindows f = fixed_windows(x, n, w);
  const int64_t a = std::clamp(f.first, first, last), b = std::clamp(f.last, a, last);
  sorted_or_counted_statistics(x, n, w, first, a, out, moving);
  fixed_medians(x, n, w, f, a, b, out.values + (a - first), moving.fixed, moving);
  sorted_or_counted_statistics(x, n, w, b, last, from(out, b - first), moving);
}
