// The moving statistics of 64-bit integers, computed exactly however large they are. The windows
// count each sample as its rank in a sorted table of the samples' keys (order-preserving signed
// integers: an int64 as it is, a uint64 with its top bit flipped), which a double holds exactly;
// the statistics read the keys back, compute in integers, and round once at the end to the
// nearest integer, halves away from zero, as the host rounds integers.
#ifndef PLORVENT_CORE_COUNTED_EXACT_INTEGERS_H
#define PLORVENT_CORE_COUNTED_EXACT_INTEGERS_H

#include <cstdint>

// A value on the way: key + half/2 (a mean of two samples is a whole or a half).
struct ExactValue {
  int64_t key;
  bool half;
};

// A deviation from a median, or a mean of two: whole + quarters/4.
struct ExactDeviation {
  uint64_t whole;
  int32_t quarters;
};

struct ExactArithmetic {
  typedef ExactValue Value;
  typedef ExactDeviation Deviation;

  const int64_t *keys;  // by rank
  bool unsigned_class;  // the keys are uint64 with the top bit flipped

  Value read(double rank) const { return {keys[static_cast<int64_t>(rank)], false}; }
  Value mean(const Value &a, const Value &b) const;
  Value interpolate(const Value &a, const Value &b, double weight) const;
  bool deviates(const Value &) const { return true; }
  Deviation deviation(const Value &x, const Value &m) const;
  Deviation mean_of_deviations(const Deviation &a, const Deviation &b) const;
  static bool below(const Deviation &a, const Deviation &b) {
    return a.whole < b.whole || (a.whole == b.whole && a.quarters < b.quarters);
  }
  static bool same(const Deviation &a, const Deviation &b) {
    return a.whole == b.whole && a.quarters == b.quarters;
  }

  // The value and the deviation as doubles: exact within 2^51, within a rounding or two beyond.
  double nearest(const Value &v) const;
  double nearest(const Deviation &d) const;
  // Where x lies against m -/+ spread (spread >= 0): -1 below m - spread, 1 above m + spread,
  // 0 between them (ends included), decided exactly.
  int side(const Value &x, const Value &m, double spread) const;

  // The results as the class holds them (the 64 bits of an int64 or a uint64).
  uint64_t result(const Value &v) const;
  uint64_t result(const Deviation &d) const;
};

#endif
