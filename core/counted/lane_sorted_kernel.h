// The sorted-window kernels, written once in the operations of core/support/vector_lanes.h and
// compiled by lane_sorted_windows.cpp for each instruction set (through
// core/support/each_instruction_set.h, which defines PLORVENT_KERNEL_TARGET). The operations on
// the rows are expanded at compile time where PLORVENT_EXPAND_KERNELS is defined, so that the
// rows stay in registers.
//
// Row j of a lane holds the j-th smallest sample of that lane's window. Before each output the
// entering sample is inserted (each row becomes the middle of itself, the row below it and the
// sample: a compare-exchange, no branch); after it the leaving sample is deleted (each row from
// the first holding that value on takes the row above it). Equal samples are equal in value, so
// which one is deleted changes nothing; only zeros of both signs differ in their bits, and a
// zero's sign never reaches a result but through a zero result, which is signed by count.
// (No include guard: it is meant to be included more than once.)

// Rows 0 ... R-1 ascending, +inf where unfilled: v inserted, the largest row dropped.
template <int32_t R, size_t... J>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void insert_below(Lanes *s, Lanes v,
                                                         std::index_sequence<J...>) {
  // From the top down, each row from the rows below it as they were.
  const int in_order[] = {
      0, (s[R - 1 - J] = lanes_max(s[R - 2 - J], lanes_min(s[R - 1 - J], v)), 0)...};
  (void)in_order;
  s[0] = lanes_min(s[0], v);
}

template <int32_t R>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void insert_below(Lanes *s, Lanes v) {
#ifdef PLORVENT_EXPAND_KERNELS
  insert_below<R>(s, v, std::make_index_sequence<R - 1>());
#else
  for (int32_t j = R - 1; j > 0; --j) s[j] = lanes_max(s[j - 1], lanes_min(s[j], v));
  s[0] = lanes_min(s[0], v);
#endif
}

// Rows 0 ... W-2 ascending: v inserted into the W rows of a whole window.
template <int32_t W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void insert_sample(Lanes *s, Lanes v) {
  s[W - 1] = lanes_max(s[W - 2], v);
  insert_below<W - 1>(s, v);
}

template <size_t... J>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void remove_sample(Lanes *s, Lanes v,
                                                          std::index_sequence<J...>) {
  const int in_order[] = {0, (s[J] = lanes_select(lanes_less(s[J], v), s[J], s[J + 1]), 0)...};
  (void)in_order;
}

// Rows 0 ... W-1 ascending, v among them: v deleted, rows 0 ... W-2 left ascending.
template <int32_t W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void remove_sample(Lanes *s, Lanes v) {
#ifdef PLORVENT_EXPAND_KERNELS
  remove_sample(s, v, std::make_index_sequence<W - 1>());
#else
  for (int32_t j = 0; j + 1 < W; ++j) s[j] = lanes_select(lanes_less(s[j], v), s[j], s[j + 1]);
#endif
}

// ---- What a window gives, by the operations of window_statistics.cpp ----

// finite_and_of_one_sign for a <= b, neither NaN.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE LaneMask finite_and_of_one_sign(Lanes a, Lanes b) {
  const Lanes zero = lanes_of(0.0), most = lanes_of(std::numeric_limits<double>::max());
  const LaneMask finite = masks_and(lanes_at_most(lanes_of(-std::numeric_limits<double>::max()), a),
                                    lanes_at_most(b, most));
  return masks_and(finite, masks_or(lanes_at_most(b, zero), lanes_at_most(zero, a)));
}

// mean_of_middles (halving by multiplying by 1/2, which rounds the same quotient).
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes lanes_mean(Lanes a, Lanes b) {
  const Lanes half = lanes_of(0.5);
  return lanes_select(finite_and_of_one_sign(a, b), lanes_add(a, lanes_mul(lanes_sub(b, a), half)),
                      lanes_mul(lanes_add(a, b), half));
}

// interpolated for a weight other than 0, 1/2 and 1.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes lanes_interpolated(Lanes a, Lanes b, Lanes weight,
                                                                Lanes rest) {
  const Lanes one_sign = lanes_add(a, lanes_mul(weight, lanes_sub(b, a)));
  const Lanes mixed = lanes_add(lanes_mul(rest, a), lanes_mul(weight, b));
  return lanes_select(lanes_equal(a, b), a,
                      lanes_select(finite_and_of_one_sign(a, b), one_sign, mixed));
}

// A zero made +0.0: what the count gives a window without -0.0 (the others are signed by count
// afterwards).
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes positive_zero(Lanes v) {
  const Lanes zero = lanes_of(0.0);
  return lanes_select(lanes_equal(v, zero), zero, v);
}

// Rows r and r+1 (r alone when it is the last), by a jump on r: an index known only when the
// kernel runs would put every row in memory.
template <int32_t W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void rows_at(const Lanes *s, int32_t r, Lanes &low,
                                                    Lanes &high) {
#define PLORVENT_ROWS_CASE(N)                \
  case N:                                    \
    if constexpr ((N) < W) {                 \
      low = s[N];                            \
      high = s[(N) + 1 < W ? (N) + 1 : (N)]; \
    }                                        \
    break;
#define PLORVENT_ROWS_CASES_8(N)                                                    \
  PLORVENT_ROWS_CASE(N)                                                             \
  PLORVENT_ROWS_CASE(N + 1) PLORVENT_ROWS_CASE(N + 2) PLORVENT_ROWS_CASE(N + 3)     \
      PLORVENT_ROWS_CASE(N + 4) PLORVENT_ROWS_CASE(N + 5) PLORVENT_ROWS_CASE(N + 6) \
          PLORVENT_ROWS_CASE(N + 7)
  static_assert(W <= 64, "one case a row");
  switch (r) {
    PLORVENT_ROWS_CASES_8(0)
    PLORVENT_ROWS_CASES_8(8)
    PLORVENT_ROWS_CASES_8(16)
    PLORVENT_ROWS_CASES_8(24)
    PLORVENT_ROWS_CASES_8(32)
    PLORVENT_ROWS_CASES_8(40)
    PLORVENT_ROWS_CASES_8(48)
    PLORVENT_ROWS_CASES_8(56)
    default:
      break;
  }
#undef PLORVENT_ROWS_CASES_8
#undef PLORVENT_ROWS_CASE
}

template <int32_t W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes window_quantile(const Lanes *s, const LaneFinish &f,
                                                             Lanes weight, Lanes rest) {
  Lanes low = s[0], high = s[0];
  rows_at<W>(s, f.rank, low, high);
  switch (f.kind) {
    case kOneRank:
      return low;
    case kMeanOfRanks:
      return positive_zero(lanes_mean(low, high));
    default:
      return positive_zero(lanes_interpolated(low, high, weight, rest));
  }
}

// The MAD of an odd window, W = 2k+1, median m = row k: besides the median's own zero, the
// deviations below it (rows k-1, k-2, ...) and above it (rows k+1, k+2, ...) are two ascending
// runs of k, and the MAD is the k-th smallest of their union: set against each other, one
// ascending and one descending, the smaller of each pair are the k smallest (the half-cleaner of
// a bitonic merge), so the MAD is the largest of those.
template <int32_t W, size_t... I>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes odd_deviation(const Lanes *s, Lanes m,
                                                           std::index_sequence<I...>) {
  constexpr int32_t k = (W - 1) / 2;
  Lanes d = lanes_min(lanes_abs(lanes_sub(s[k - 1], m)), lanes_sub(s[W - 1], m));
  const int in_order[] = {0, (d = lanes_max(d, lanes_min(lanes_abs(lanes_sub(s[k - 2 - I], m)),
                                                         lanes_sub(s[W - 2 - I], m))),
                              0)...};
  (void)in_order;
  return d;
}

// An even window, W = 2k, median m between rows k-1 and k: the two runs of k deviations make the
// same pairs; the smaller of each are the k smallest and the larger the k largest, so the two
// middle deviations are the largest of the smaller and the smallest of the larger.
template <int32_t W, size_t... I>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes even_deviation(const Lanes *s, Lanes m,
                                                            std::index_sequence<I...>) {
  constexpr int32_t k = W / 2;
  Lanes below = lanes_abs(lanes_sub(s[k - 1], m)), above = lanes_sub(s[W - 1], m);
  Lanes low = lanes_min(below, above), high = lanes_max(below, above);
  const int in_order[] = {
      0, (below = lanes_abs(lanes_sub(s[k - 2 - I], m)), above = lanes_sub(s[W - 2 - I], m),
          low = lanes_max(low, lanes_min(below, above)),
          high = lanes_min(high, lanes_max(below, above)), 0)...};
  (void)in_order;
  return lanes_mean(low, high);
}

// The MAD of the window in rows 0 ... W-1, and its median into `median`. An infinite median
// (or the NaN between two infinities) deviates by no number: NaN. A zero deviation may have
// come out as -0.0; the counted engine's deviations are magnitudes.
template <int32_t W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes window_mad(const Lanes *s, Lanes &median) {
  constexpr int32_t k = W / 2;
  Lanes m, d;
  if constexpr (W % 2 == 1) {
    m = s[k];
    d = odd_deviation<W>(s, m, std::make_index_sequence<k - 1>());
    median = m;
  } else {
    m = lanes_mean(s[k - 1], s[k]);
    d = even_deviation<W>(s, m, std::make_index_sequence<k - 1>());
    median = positive_zero(m);
  }
  const LaneMask deviates =
      lanes_at_most(lanes_abs(m), lanes_of(std::numeric_limits<double>::max()));
  return lanes_select(deviates, lanes_abs(d), lanes_of(std::numeric_limits<double>::quiet_NaN()));
}

// ---- The run ----

// Outputs 0 ... count-1 of windows x[i ... i+W-1]. Each lane takes per_lane consecutive outputs
// (a whole number of vectors' worth; the last lanes' stretches are moved back to end at count,
// overlapping the one before, which they recompute alike), so count >= kLanes * kLanes.
template <int32_t W, bool Mad>
PLORVENT_KERNEL_TARGET void sorted_lanes(const double *x, int64_t count, const LaneFinish &finish,
                                         double *values, double *medians) {
  const int64_t per_lane = ((count + kLanes - 1) / kLanes + kLanes - 1) / kLanes * kLanes;
  const double *in[kLanes];
  double *out[kLanes], *middle[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    const int64_t start = std::min<int64_t>(l * per_lane, count - per_lane);
    in[l] = x + start;
    out[l] = values + start;
    middle[l] = medians ? medians + start : nullptr;
  }
  // Each lane's first W-1 samples, sorted by inserting them into rows of +inf.
  Lanes s[W];
  for (int32_t j = 0; j + 1 < W; ++j) s[j] = lanes_of(std::numeric_limits<double>::infinity());
  Lanes enter[kLanes], leave[kLanes], result[kLanes], median[kLanes];
  for (int32_t b = 0; b + 1 < W; b += kLanes) {
    load_transposed(in, b, enter);
    for (int j = 0; j < kLanes && b + j + 1 < W; ++j) insert_below<W - 1>(s, enter[j]);
  }
  const Lanes weight = lanes_of(finish.weight), rest = lanes_of(1 - finish.weight);
  for (int64_t t = 0; t < per_lane; t += kLanes) {
    load_transposed(in, t + W - 1, enter);
    load_transposed(in, t, leave);
    for (int j = 0; j < kLanes; ++j) {
      insert_sample<W>(s, enter[j]);
      if constexpr (Mad) {
        result[j] = window_mad<W>(s, median[j]);
      } else {
        result[j] = window_quantile<W>(s, finish, weight, rest);
      }
      remove_sample<W>(s, leave[j]);
    }
    store_transposed(out, t, result);
    if (Mad && medians) store_transposed(middle, t, median);
  }
}

// The kernels of every W from 2 to sizeof...(I)+1: entry W-2.
template <size_t... I>
const LaneKernel *quantile_kernel_table(std::index_sequence<I...>) {
  static const LaneKernel kernels[] = {sorted_lanes<static_cast<int32_t>(I + 2), false>...};
  return kernels;
}

template <size_t... I>
const LaneKernel *mad_kernel_table(std::index_sequence<I...>) {
  static const LaneKernel kernels[] = {sorted_lanes<static_cast<int32_t>(I + 2), true>...};
  return kernels;
}
