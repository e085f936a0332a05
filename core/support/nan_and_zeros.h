// The samples no total order of values places: NaN, and the two zeros, equal as values but not
// in their bits. Every part that looks for them (screening a span, counting them as a window
// slides, finding the next NaN) does it here.
#ifndef PLORVENT_CORE_SUPPORT_NAN_AND_ZEROS_H
#define PLORVENT_CORE_SUPPORT_NAN_AND_ZEROS_H

#include <cmath>
#include <cstdint>
#include <cstring>

// ---- Counted as a window slides ----

struct SpecialCounts {
  int64_t nan;
  int64_t negative_zero;
  int64_t positive_zero;
};

// Counts v `times` times (negative to take it out again). Without a branch on v: in a signal
// full of zeros of both signs, which one comes next is as unpredictable as the signal.
inline void count_special(SpecialCounts &c, double v, int64_t times) {
  const int64_t zero = v == 0, negative = std::signbit(v);
  c.nan += -static_cast<int64_t>(v != v) & times;
  c.negative_zero += -(zero & negative) & times;
  c.positive_zero += -(zero & (1 - negative)) & times;
}

// A NaN has no place in the order, and which zero comes out of a window holding both depends on
// the selection's exchanges; any other median has one bit pattern only.
inline bool holds_both_zeros_around(const SpecialCounts &c, double median) {
  return median == 0 && c.negative_zero > 0 && c.positive_zero > 0;
}

// How a zero median takes its sign. The two zeros are equal as values, so the order alone does
// not decide which one a window's median is.
enum ZeroSigns : int32_t {
  kZerosAsSelected,  // the zero the per-window selection leaves in the middle
  kZerosByCount,     // -0.0 when the window holds -0.0 and no +0.0, else +0.0
};

// A zero median made -0.0 when `negative`, +0.0 otherwise; any other as it is. Its sign bit is
// set by arithmetic rather than a branch: zero medians come and go as unpredictably as the
// signal's zeros.
inline double zero_signed(double median, bool negative) {
  const uint64_t zero = median == 0;
  uint64_t bits;
  std::memcpy(&bits, &median, sizeof bits);
  bits = (bits & ~(zero << 63)) | ((zero & negative) << 63);
  std::memcpy(&median, &bits, sizeof bits);
  return median;
}

// A zero median signed by the counts, any other as it is.
inline double signed_by_count(double median, const SpecialCounts &c) {
  return zero_signed(median, (c.negative_zero > 0) & (c.positive_zero == 0));
}

// Whether a window with these counts and this median (from the key order, which places -0.0
// below +0.0) must be selected the per-window way to give its exact bits. A NaN always must.
inline bool needs_selection(const SpecialCounts &c, double median, ZeroSigns zeros) {
  return c.nan > 0 || (zeros == kZerosAsSelected && holds_both_zeros_around(c, median));
}

// ---- Screened over a span ----

// Which of NaN, -0.0 and +0.0 occur among some samples.
struct SpecialsSeen {
  bool nan;
  bool negative_zero;
  bool positive_zero;
};

inline SpecialsSeen no_specials_seen() {
  return {false, false, false};
}

// Whether the key order (-0.0 below +0.0) decides every window of samples that hold these: no
// NaN, and zeros of one sign at most.
inline bool key_order_decides(const SpecialsSeen &seen) {
  return !seen.nan && !(seen.negative_zero && seen.positive_zero);
}

inline void note_special(SpecialsSeen &seen, double v) {
  seen.nan = seen.nan || v != v;
  seen.negative_zero = seen.negative_zero || (v == 0 && std::signbit(v));
  seen.positive_zero = seen.positive_zero || (v == 0 && !std::signbit(v));
}

// Notes the specials among v[0 ... count-1]. Typical signals hold none: chunks are screened with
// the widest vectors the processor has, and only a chunk holding one is looked at closely.
void note_specials(SpecialsSeen &seen, const double *v, int64_t count);
void note_specials(SpecialsSeen &seen, const float *v, int64_t count);

// True when no sample of v[0 ... count-1] is a NaN or a zero.
bool holds_no_nan_or_zero(const double *v, int64_t count);

// The first position in t ... end-1 of x holding a NaN, or end (chunks screened without a branch
// per sample).
int64_t next_nan(const double *x, int64_t t, int64_t end);

#endif
