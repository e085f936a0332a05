// The paired-window network kernel, written once in the operations of core/support/
// vector_lanes.h and compiled by network_medians.cpp for each instruction set (through
// core/support/each_instruction_set.h, which defines PLORVENT_KERNEL_TARGET). The operations are
// expanded at compile time where PLORVENT_EXPAND_KERNELS is defined.
// Expanded, every row index is a constant and the rows stay in registers. The expansion is a pack
// expanded in an array's initialiser, which every compiler unrolls and evaluates in order (no
// unrolling pragma needed; a fold expression of hundreds of operations would pass clang's limit
// on nested expressions).
// (No include guard: it is meant to be included more than once.)

// One operation of the network on the shared rows s[0 ... W-2]; `spare` holds a minimum's
// first operand while it is replaced. A macro, not a function: each inlined call would add debug
// records, and thousands of operations are expanded.
#undef PLORVENT_NETWORK_OP
#define PLORVENT_NETWORK_OP(s, op, spare)                                             \
  ((op).kind == kMinOnly ? (void)(s[(op).low] = lanes_min(s[(op).low], s[(op).high])) \
   : (op).kind == kMaxOnly                                                            \
       ? (void)(s[(op).high] = lanes_max(s[(op).low], s[(op).high]))                  \
       : (void)(spare = s[(op).low], s[(op).low] = lanes_min(spare, s[(op).high]),    \
                s[(op).high] = lanes_max(spare, s[(op).high])))

template <size_t... P>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void split_all_rows(const double *y, Lanes *row,
                                                           std::index_sequence<P...>) {
  const int in_order[] = {(split_rows(y + 2 * P, row[2 * P], row[2 * P + 1]), 0)...};
  (void)in_order;
}

template <int32_t W, size_t... C>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void apply_network(Lanes *s, std::index_sequence<C...>) {
  Lanes spare;
  const int in_order[] = {
      (PLORVENT_NETWORK_OP(s, SharedPairNetwork<W>::network.ops[C], spare), 0)...};
  (void)in_order;
}

// Outputs out[0 ... 2*kLanes-1] of the windows starting at y[0], y[1], ...
// `ordinary` keeps the lanes whose new samples (those no earlier group held: rows W-1 and W) are
// neither NaN nor zero.
template <int32_t W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void pair_medians(const double *y, double *out,
                                                         LaneMask &ordinary) {
  typedef SharedPairNetwork<W> Shared;
  constexpr int32_t k = (W - 1) / 2;
  // row[0] and row[W] are each window's own sample, row[1 ... W-1] the shared ones.
  Lanes row[W + 1];
#ifdef PLORVENT_EXPAND_KERNELS
  split_all_rows(y, row, std::make_index_sequence<k + 1>());
#else
  for (int32_t p = 0; p <= k; ++p) split_rows(y + 2 * p, row[2 * p], row[2 * p + 1]);
#endif
  // The new samples are checked as read: the network below moves other values into row W-1.
  ordinary = ordinary_lanes(ordinary, row[W - 1]);
  ordinary = ordinary_lanes(ordinary, row[W]);
#ifdef PLORVENT_EXPAND_KERNELS
  apply_network<W>(row + 1, std::make_index_sequence<Shared::network.count>());
#else
  Lanes spare;
  for (int32_t c = 0; c < Shared::network.count; ++c) {
    PLORVENT_NETWORK_OP((row + 1), Shared::network.ops[c], spare);
  }
#endif
  const Lanes low = row[k], high = row[k + 1];
  merge_rows(out, lanes_max(low, lanes_min(row[0], high)), lanes_max(low, lanes_min(row[W], high)));
}

// Every group of 2*kLanes outputs that fits; returns how many outputs it wrote. Clears
// `ordinary` if a sample from y[W-1] to the last one read is a NaN or a zero.
template <int32_t W>
PLORVENT_KERNEL_TARGET int64_t run_pairs(const double *y, double *out, int64_t outputs,
                                         bool &ordinary) {
  const int64_t step = 2 * kLanes;
  LaneMask ordinary_so_far = all_lanes();
  int64_t i = 0;
  for (; i + step <= outputs; i += step) pair_medians<W>(y + i, out + i, ordinary_so_far);
  ordinary = ordinary && all_ordinary(ordinary_so_far);
  return i;
}

// The kernels of every odd W from 3 to 2*sizeof...(I)+1: entry (W-3)/2.
template <size_t... I>
const PairKernel *kernel_table(std::index_sequence<I...>) {
  static const PairKernel kernels[] = {run_pairs<static_cast<int32_t>(2 * I + 3)>...};
  return kernels;
}
