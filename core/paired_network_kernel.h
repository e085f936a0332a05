// The paired-window network kernel, included once for each instruction set by
// network_median.cpp, in a namespace of its own with PLORVENT_KERNEL_TARGET naming the target:
// every function the kernel inlines must be compiled for the same target as the kernel itself.
// L is a lane type: a vector type V of kWidth doubles with min, max, split and merge.

template <class L, int Low, int High, NetworkOpKind Kind>
PLORVENT_KERNEL_TARGET PLORVENT_KERNEL_INLINE void compare_exchange(typename L::V *s) {
  const typename L::V a = s[Low], b = s[High];
  if (Kind != kMaxOnly) s[Low] = L::min(a, b);
  if (Kind != kMinOnly) s[High] = L::max(a, b);
}

// The operations in order (a braced list is evaluated left to right), every index a constant so
// that the rows stay in registers.
template <class L, int32_t W, size_t... I>
PLORVENT_KERNEL_TARGET PLORVENT_KERNEL_INLINE void apply_network(typename L::V *s, std::index_sequence<I...>) {
  constexpr const Network &net = SharedPairNetwork<W>::network;
  const int in_order[] = {(compare_exchange<L, net.ops[I].low, net.ops[I].high, net.ops[I].kind>(s), 0)...};
  (void)in_order;
}

template <class L, size_t... P>
PLORVENT_KERNEL_TARGET PLORVENT_KERNEL_INLINE void split_rows(const double *y, typename L::V *row, std::index_sequence<P...>) {
  const int in_order[] = {(L::split(y + 2 * P, row[2 * P], row[2 * P + 1]), 0)...};
  (void)in_order;
}

// Outputs out[0 ... 2*kWidth-1] of windows starting at y[0], y[1], ...
template <class L, int32_t W>
PLORVENT_KERNEL_TARGET PLORVENT_KERNEL_INLINE void pair_medians(const double *y, double *out) {
  typedef typename L::V V;
  constexpr int32_t k = (W - 1) / 2;
  V row[W + 1];  // row[0] and row[W] are each window's own sample, the others shared
  split_rows<L>(y, row, std::make_index_sequence<k + 1>());
  apply_network<L, W>(row + 1,
                      std::make_index_sequence<SharedPairNetwork<W>::network.count>());
  const V low = row[k], high = row[k + 1];
  L::merge(out, L::max(low, L::min(row[0], high)), L::max(low, L::min(row[W], high)));
}

// Every group of 2*kWidth outputs that fits; returns how many outputs it wrote.
template <class L, int32_t W>
PLORVENT_KERNEL_TARGET int64_t run_pairs(const double *y, double *out, int64_t outputs) {
  const int64_t step = 2 * L::kWidth;
  int64_t i = 0;
  for (; i + step <= outputs; i += step) pair_medians<L, W>(y + i, out + i);
  return i;
}

