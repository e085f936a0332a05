// The sorted-window kernels, written once in the operations of core/support/vector_lanes.h and
// compiled by lane_sorted_windows.cpp for each instruction set (through
// core/support/each_instruction_set.h, which defines PLORVENT_KERNEL_TARGET). A kernel is
// compiled for each short window length, its operations on the rows expanded where
// PLORVENT_EXPAND_KERNELS is defined so that the rows stay in registers, and once for any
// length (Rows = 0), its rows in memory and its operations loops.
//
// Row j of a lane holds the j-th smallest sample of that lane's window; from one output to the
// next the sample that leaves is deleted and the one that enters inserted, by selects and
// compare-exchanges on every row, with no branch. Equal samples are equal in value, so which one
// is deleted changes nothing; only zeros of both signs differ in their bits, and a zero's sign
// never reaches a result but through a zero result, which is signed by count.
// (No include guard: it is meant to be included more than once.)

// ---- Changing the rows ----

// Rows 0 ... R-1 ascending, +inf where unfilled: v inserted, the largest row dropped. From the
// top down, each row the middle of itself, the row below it as it was, and v.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void insert_below_rows(Lanes *s, int32_t R, Lanes v) {
  for (int32_t j = R - 1; j > 0; --j) s[j] = lanes_max(s[j - 1], lanes_min(s[j], v));
  s[0] = lanes_min(s[0], v);
}

template <int32_t R, size_t... J>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void insert_below_expanded(Lanes *s, Lanes v,
                                                                  std::index_sequence<J...>) {
  const int in_order[] = {
      0, (s[R - 1 - J] = lanes_max(s[R - 2 - J], lanes_min(s[R - 1 - J], v)), 0)...};
  (void)in_order;
  s[0] = lanes_min(s[0], v);
}

// Rows 0 ... W-1 ascending, `leaving` among them (or +inf, with the window's W-1 samples in rows
// 0 ... W-2 and +inf in row W-1): `leaving` deleted and `entering` inserted in one pass up the
// rows. Deleted, row j is row j, or row j+1 from the first row holding `leaving` on (the rows
// above the last count as +inf); inserted, each row is then the middle of itself, the row below
// and `entering`. Each row is read and written once, with the row below as it was deleted
// carried in a register.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void replace_rows(Lanes *s, int32_t W, Lanes leaving,
                                                         Lanes entering) {
  Lanes below = lanes_select(lanes_less(s[0], leaving), s[0], s[1]);
  s[0] = lanes_min(below, entering);
  for (int32_t j = 1; j + 1 < W; ++j) {
    const Lanes row = lanes_select(lanes_less(s[j], leaving), s[j], s[j + 1]);
    s[j] = lanes_max(below, lanes_min(row, entering));
    below = row;
  }
  s[W - 1] = lanes_max(below, entering);
}

template <int32_t W, size_t... J>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void replace_expanded(Lanes *s, Lanes leaving,
                                                             Lanes entering,
                                                             std::index_sequence<J...>) {
  Lanes below = lanes_select(lanes_less(s[0], leaving), s[0], s[1]), row;
  s[0] = lanes_min(below, entering);
  const int in_order[] = {
      0, (row = lanes_select(lanes_less(s[J + 1], leaving), s[J + 1], s[J + 2]),
          s[J + 1] = lanes_max(below, lanes_min(row, entering)), below = row, 0)...};
  (void)in_order;
  (void)row;
  s[W - 1] = lanes_max(below, entering);
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

// mean_of_middles for 0 <= a <= b (magnitudes): b itself where b is infinite, as (a+b)/2 gives.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes lanes_mean_of_magnitudes(Lanes a, Lanes b) {
  const Lanes middle = lanes_add(a, lanes_mul(lanes_sub(b, a), lanes_of(0.5)));
  return lanes_select(lanes_at_most(b, lanes_of(std::numeric_limits<double>::max())), middle, b);
}

// interpolated for a weight other than 0, 1/2 and 1. Where a == b it gives a as that does: a
// finite a (of one sign with itself) plus weight * 0, or an infinite one through the mixed form.
// Rounding to nearest, it never gives -0.0: only a sum of two -0.0 is -0.0, and the mixed form's
// products are both -0.0 only for a <= b < 0, of one sign.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes lanes_interpolated(Lanes a, Lanes b, Lanes weight,
                                                                Lanes rest) {
  const Lanes one_sign = lanes_add(a, lanes_mul(weight, lanes_sub(b, a)));
  const Lanes mixed = lanes_add(lanes_mul(rest, a), lanes_mul(weight, b));
  return lanes_select(finite_and_of_one_sign(a, b), one_sign, mixed);
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
  static_assert(W <= 32, "one case a row");
  // clang-format off
#define PLORVENT_ROWS_CASE(N) \
  case N: if constexpr ((N) < W) low = s[N], high = s[(N) + 1 < W ? (N) + 1 : (N)]; break;
#define PLORVENT_ROWS_CASES_4(N) \
  PLORVENT_ROWS_CASE(N) PLORVENT_ROWS_CASE(N + 1) PLORVENT_ROWS_CASE(N + 2) PLORVENT_ROWS_CASE(N + 3)
  switch (r) {
    PLORVENT_ROWS_CASES_4(0) PLORVENT_ROWS_CASES_4(4) PLORVENT_ROWS_CASES_4(8)
    PLORVENT_ROWS_CASES_4(12) PLORVENT_ROWS_CASES_4(16) PLORVENT_ROWS_CASES_4(20)
    PLORVENT_ROWS_CASES_4(24) PLORVENT_ROWS_CASES_4(28)
    default: break;
  }
#undef PLORVENT_ROWS_CASES_4
#undef PLORVENT_ROWS_CASE
  // clang-format on
}

// The quantile of the window in the rows.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes quantile_of(Lanes low, Lanes high, const LaneFinish &f,
                                                         Lanes weight, Lanes rest) {
  switch (f.kind) {
    case kOneRank:
      return low;
    case kMeanOfRanks:
      return positive_zero(lanes_mean(low, high));
    default:
      return lanes_interpolated(low, high, weight, rest);
  }
}

// The MAD of an odd window, W = 2k+1, median m = row k: besides the median's own zero, the
// deviations below it (rows k-1, k-2, ...) and above it (rows k+1, k+2, ...) are two ascending
// runs of k, and the MAD is the k-th smallest of their union: set against each other, one
// ascending and one descending, the smaller of each pair are the k smallest (the half-cleaner of
// a bitonic merge), so the MAD is the largest of those. Pair i is rows k-i and W-i. Rounding to
// nearest, m - x is -(x - m) to the bit, so the deviations below the median need no magnitude
// taken (but for a zero's sign, which the MAD's own magnitude clears).
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes deviation_pair(const Lanes *s, int32_t k, int32_t W,
                                                            int32_t i, Lanes m) {
  return lanes_min(lanes_sub(m, s[k - i]), lanes_sub(s[W - i], m));
}

PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes odd_deviation_rows(const Lanes *s, int32_t W,
                                                                Lanes m) {
  const int32_t k = (W - 1) / 2;
  Lanes d = deviation_pair(s, k, W, 1, m);
  for (int32_t i = 2; i <= k; ++i) d = lanes_max(d, deviation_pair(s, k, W, i, m));
  return d;
}

template <int32_t W, size_t... I>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes odd_deviation_expanded(const Lanes *s, Lanes m,
                                                                    std::index_sequence<I...>) {
  constexpr int32_t k = (W - 1) / 2;
  Lanes d = deviation_pair(s, k, W, 1, m);
  const int in_order[] = {0, (d = lanes_max(d, deviation_pair(s, k, W, I + 2, m)), 0)...};
  (void)in_order;
  return d;
}

// An even window, W = 2k, median m between rows k-1 and k: the two runs of k deviations make the
// same pairs; the smaller of each are the k smallest and the larger the k largest, so the two
// middle deviations are the largest of the smaller and the smallest of the larger.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void first_pair(const Lanes *s, int32_t k, int32_t W,
                                                       Lanes m, Lanes &low, Lanes &high) {
  const Lanes below = lanes_sub(m, s[k - 1]), above = lanes_sub(s[W - 1], m);
  low = lanes_min(below, above);
  high = lanes_max(below, above);
}

PLORVENT_KERNEL_TARGET PLORVENT_INLINE void pair_into(const Lanes *s, int32_t k, int32_t W,
                                                      int32_t i, Lanes m, Lanes &low, Lanes &high) {
  const Lanes below = lanes_sub(m, s[k - i]), above = lanes_sub(s[W - i], m);
  low = lanes_max(low, lanes_min(below, above));
  high = lanes_min(high, lanes_max(below, above));
}

PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes even_deviation_rows(const Lanes *s, int32_t W,
                                                                 Lanes m) {
  const int32_t k = W / 2;
  Lanes low, high;
  first_pair(s, k, W, m, low, high);
  for (int32_t i = 2; i <= k; ++i) pair_into(s, k, W, i, m, low, high);
  return lanes_mean_of_magnitudes(low, high);
}

template <int32_t W, size_t... I>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes even_deviation_expanded(const Lanes *s, Lanes m,
                                                                     std::index_sequence<I...>) {
  constexpr int32_t k = W / 2;
  Lanes low, high;
  first_pair(s, k, W, m, low, high);
  const int in_order[] = {0, (pair_into(s, k, W, I + 2, m, low, high), 0)...};
  (void)in_order;
  return lanes_mean_of_magnitudes(low, high);
}

// The MAD from the median m and the deviation d found: an infinite median (or the NaN between
// two infinities) deviates by no number, NaN; a zero deviation may have come out as -0.0, and
// the counted engine's deviations are magnitudes.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes mad_of(Lanes m, Lanes d) {
  const LaneMask deviates =
      lanes_at_most(lanes_abs(m), lanes_of(std::numeric_limits<double>::max()));
  return lanes_select(deviates, lanes_abs(d), lanes_of(std::numeric_limits<double>::quiet_NaN()));
}

// ---- Windows of Rows rows (Rows = 0: of W rows, W known only when run) ----

template <int32_t Rows>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void insert_below(Lanes *s, int32_t R, Lanes v) {
#ifdef PLORVENT_EXPAND_KERNELS
  if constexpr (Rows > 0) {
    insert_below_expanded<Rows>(s, v, std::make_index_sequence<Rows - 1>());
    return;
  }
#endif
  insert_below_rows(s, Rows > 0 ? Rows : R, v);
}

template <int32_t Rows>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void replace_sample(Lanes *s, int32_t W, Lanes leaving,
                                                           Lanes entering) {
#ifdef PLORVENT_EXPAND_KERNELS
  if constexpr (Rows > 0) {
    replace_expanded<Rows>(s, leaving, entering, std::make_index_sequence<Rows - 2>());
    return;
  }
#endif
  replace_rows(s, Rows > 0 ? Rows : W, leaving, entering);
}

template <int32_t Rows>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes window_quantile(const Lanes *s, int32_t W,
                                                             const LaneFinish &f, Lanes weight,
                                                             Lanes rest) {
  Lanes low = s[0], high = s[0];
  if constexpr (Rows > 0) {
    rows_at<Rows>(s, f.rank, low, high);
  } else {
    low = s[f.rank];
    high = s[f.rank + 1 < W ? f.rank + 1 : f.rank];
  }
  return quantile_of(low, high, f, weight, rest);
}

// The MAD of the window in the rows, and its median into `median`.
template <int32_t Rows>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE Lanes window_mad(const Lanes *s, int32_t W, Lanes &median) {
#ifdef PLORVENT_EXPAND_KERNELS
  if constexpr (Rows > 0) {
    constexpr int32_t k = Rows / 2;
    if constexpr (Rows % 2 == 1) {
      median = s[k];
      return mad_of(median,
                    odd_deviation_expanded<Rows>(s, median, std::make_index_sequence<k - 1>()));
    } else {
      const Lanes m = lanes_mean(s[k - 1], s[k]);
      median = positive_zero(m);
      return mad_of(m, even_deviation_expanded<Rows>(s, m, std::make_index_sequence<k - 1>()));
    }
  }
#endif
  const int32_t k = W / 2;
  if (W % 2 == 1) {
    median = s[k];
    return mad_of(median, odd_deviation_rows(s, W, median));
  }
  const Lanes m = lanes_mean(s[k - 1], s[k]);
  median = positive_zero(m);
  return mad_of(m, even_deviation_rows(s, W, m));
}

// ---- The run ----

// Outputs 0 ... count-1 of windows x[i ... i+W-1] (W = Rows unless Rows is 0). Each lane takes
// per_lane consecutive outputs (a whole number of vectors' worth; the last lanes' stretches are
// moved back to end at count, overlapping the one before, which they recompute alike), so
// count >= kLanes * kLanes. Returns whether every sample is neither NaN nor zero (seen as read).
template <int32_t Rows, bool Mad>
PLORVENT_KERNEL_TARGET bool sorted_lanes(const double *x, int64_t count, int32_t W,
                                         const LaneFinish &finish, double *values,
                                         double *medians) {
  if constexpr (Rows > 0) W = Rows;
  const int64_t per_lane = ((count + kLanes - 1) / kLanes + kLanes - 1) / kLanes * kLanes;
  const double *in[kLanes];
  double *out[kLanes], *middle[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    const int64_t start = std::min<int64_t>(l * per_lane, count - per_lane);
    in[l] = x + start;
    out[l] = values + start;
    middle[l] = medians ? medians + start : nullptr;
  }
  // Each lane's first W-1 samples, sorted by inserting them into rows of +inf; +inf in row W-1
  // stands for the sample the first output's window does not hold.
  const Lanes infinity = lanes_of(std::numeric_limits<double>::infinity());
  Lanes s[Rows > 0 ? Rows : kLongestLaneWindow];
  for (int32_t j = 0; j < W; ++j) s[j] = infinity;
  Lanes enter[kLanes], leave[kLanes + 1], result[kLanes], median[kLanes];
  LaneMask ordinary = all_lanes();
  for (int32_t b = 0; b + 1 < W; b += kLanes) {
    load_transposed(in, b, enter);
    for (int j = 0; j < kLanes && b + j + 1 < W; ++j) {
      ordinary = ordinary_lanes(ordinary, enter[j]);
      insert_below<(Rows > 0 ? Rows - 1 : 0)>(s, W - 1, enter[j]);
    }
  }
  const Lanes weight = lanes_of(finish.weight), rest = lanes_of(1 - finish.weight);
  leave[0] = infinity;
  for (int64_t t = 0; t < per_lane; t += kLanes) {
    // Output t+j's window gains sample t+j+W-1 and loses t+j-1 (the +inf, for the first).
    load_transposed(in, t + W - 1, enter);
    load_transposed(in, t, leave + 1);
    for (int j = 0; j < kLanes; ++j) {
      ordinary = ordinary_lanes(ordinary, enter[j]);
      replace_sample<Rows>(s, W, leave[j], enter[j]);
      if constexpr (Mad) {
        result[j] = window_mad<Rows>(s, W, median[j]);
      } else {
        result[j] = window_quantile<Rows>(s, W, finish, weight, rest);
      }
    }
    leave[0] = leave[kLanes];
    store_transposed(out, t, result);
    if (Mad && medians) store_transposed(middle, t, median);
  }
  return all_ordinary(ordinary);
}

// The kernels of every W from 2 to sizeof...(I)+1 (entry W-2; the one for any W where kernels
// are not expanded), and the one for any W.
template <size_t... I>
const LaneKernel *quantile_kernel_table(std::index_sequence<I...>) {
  static const LaneKernel kernels[] = {
      sorted_lanes<expanded_rows(static_cast<int>(I + 2)), false>...};
  return kernels;
}

template <size_t... I>
const LaneKernel *mad_kernel_table(std::index_sequence<I...>) {
  static const LaneKernel kernels[] = {
      sorted_lanes<expanded_rows(static_cast<int>(I + 2)), true>...};
  return kernels;
}

// This instruction set's kernels.
inline LaneKernels lane_kernels() {
  return {quantile_kernel_table(std::make_index_sequence<kLongestExpandedWindow - 1>()),
          mad_kernel_table(std::make_index_sequence<kLongestExpandedWindow - 1>()),
          sorted_lanes<0, false>,
          sorted_lanes<0, true>,
          kLanes,
          longest_window_for(kLanes)};
}
