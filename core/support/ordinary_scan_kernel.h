// The scan for NaN and zeros, written once in the operations of core/support/vector_lanes.h and
// compiled by nan_and_zeros.cpp for each instruction set (through
// core/support/each_instruction_set.h, which defines PLORVENT_KERNEL_TARGET).
// (No include guard: it is meant to be included more than once.)

// True when no sample of v[0 ... count-1] is a NaN or a zero: one ordered comparison a sample,
// two vectors a step.
PLORVENT_KERNEL_TARGET inline bool holds_no_nan_or_zero(const double *v, int64_t count) {
  LaneMask first = all_lanes(), second = all_lanes();
  int64_t i = 0;
  for (; i + 2 * kLanes <= count; i += 2 * kLanes) {
    first = ordinary_lanes(first, load_lanes(v + i));
    second = ordinary_lanes(second, load_lanes(v + i + kLanes));
  }
  bool none = all_ordinary(first) && all_ordinary(second);
  for (; i < count; ++i) none &= v[i] != 0 && v[i] == v[i];
  return none;
}
