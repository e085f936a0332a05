// The scans for NaN and zeros, written once in the operations of core/support/vector_lanes.h and
// compiled by nan_and_zeros.cpp for each instruction set (through
// core/support/each_instruction_set.h, which defines PLORVENT_KERNEL_TARGET).
// (No include guard: it is meant to be included more than once.)

// True when no sample of v[0 ... count-1] is a NaN, nor (ZerosToo) a zero: one ordered
// comparison a sample, two vectors a step.
template <bool ZerosToo>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE LaneMask screened_lanes(LaneMask mask, Lanes v) {
  if constexpr (ZerosToo) return ordinary_lanes(mask, v);
  return masks_and(mask, lanes_equal(v, v));
}

template <bool ZerosToo>
PLORVENT_KERNEL_TARGET inline bool holds_only_screened(const double *v, int64_t count) {
  LaneMask first = all_lanes(), second = all_lanes();
  int64_t i = 0;
  for (; i + 2 * kLanes <= count; i += 2 * kLanes) {
    first = screened_lanes<ZerosToo>(first, load_lanes(v + i));
    second = screened_lanes<ZerosToo>(second, load_lanes(v + i + kLanes));
  }
  bool none = all_ordinary(first) && all_ordinary(second);
  for (; i < count; ++i) none &= (!ZerosToo || v[i] != 0) && v[i] == v[i];
  return none;
}
