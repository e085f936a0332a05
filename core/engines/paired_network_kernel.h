// The paired-window network kernel, included by network_median.cpp once for each instruction
// set, each time in a namespace of its own that first defines:
//   PLORVENT_KERNEL_TARGET  the target attribute of every function here (or nothing);
//   PLORVENT_UNROLL_ALL     the pragma that unrolls a loop whole (or nothing);
//   Lanes, kLanes           the vector type and how many doubles it holds;
//   PLORVENT_LANES_MIN/MAX  its minimum and maximum, as builtin expressions;
//   split_rows, merge_rows  loads of rows 2p and 2p+1, and the store of both windows' medians;
//   all_lanes, ordinary_lanes, all_ordinary  a mask of lanes (all set at first), the lanes whose
//                           samples are neither NaN nor zero, and whether all are.
// The operations are spelled out, not made through inline functions: every inlined call would
// add its own debug records, and thousands of operations are expanded.
// (No include guard: it is meant to be included more than once.)

// Outputs out[0 ... 2*kLanes-1] of the windows starting at y[0], y[1], ...
// `ordinary` keeps the lanes whose new samples (those no earlier group held: rows W-1 and W) are
// neither NaN nor zero.
template <int32_t W>
PLORVENT_KERNEL_TARGET inline void pair_medians(const double *y, double *out, Lanes &ordinary) {
  constexpr const Network &net = SharedPairNetwork<W>::network;
  constexpr int32_t k = (W - 1) / 2;
  // row[0] and row[W] are each window's own sample, row[1 ... W-1] the shared ones, row[W+1]
  // holds a minimum's first operand while it is replaced. (The operations use no named
  // temporaries: each would add debug records for every one of thousands of expanded steps.)
  Lanes row[W + 2];
  PLORVENT_UNROLL_ALL
  for (int32_t p = 0; p <= k; ++p) split_rows(y + 2 * p, row[2 * p], row[2 * p + 1]);
  // The new samples are checked as read: the network below moves other values into row W-1.
  ordinary = ordinary_lanes(ordinary, row[W - 1]);
  ordinary = ordinary_lanes(ordinary, row[W]);
  Lanes *s = row + 1;
  PLORVENT_UNROLL_ALL
  for (int32_t c = 0; c < net.count; ++c) {
    if (net.ops[c].kind == kMinOnly) {
      s[net.ops[c].low] = PLORVENT_LANES_MIN(s[net.ops[c].low], s[net.ops[c].high]);
    } else if (net.ops[c].kind == kMaxOnly) {
      s[net.ops[c].high] = PLORVENT_LANES_MAX(s[net.ops[c].low], s[net.ops[c].high]);
    } else {
      row[W + 1] = s[net.ops[c].low];
      s[net.ops[c].low] = PLORVENT_LANES_MIN(row[W + 1], s[net.ops[c].high]);
      s[net.ops[c].high] = PLORVENT_LANES_MAX(row[W + 1], s[net.ops[c].high]);
    }
  }
  const Lanes low = row[k], high = row[k + 1];
  merge_rows(out, PLORVENT_LANES_MAX(low, PLORVENT_LANES_MIN(row[0], high)),
             PLORVENT_LANES_MAX(low, PLORVENT_LANES_MIN(row[W], high)));
}

// Every group of 2*kLanes outputs that fits; returns how many outputs it wrote. Clears
// `ordinary` if a sample from y[W-1] to the last one read is a NaN or a zero.
template <int32_t W>
PLORVENT_KERNEL_TARGET int64_t run_pairs(const double *y, double *out, int64_t outputs,
                                         bool &ordinary) {
  const int64_t step = 2 * kLanes;
  Lanes ordinary_so_far = all_lanes();
  int64_t i = 0;
  for (; i + step <= outputs; i += step) pair_medians<W>(y + i, out + i, ordinary_so_far);
  ordinary = ordinary && all_ordinary(ordinary_so_far);
  return i;
}
