// The separable rank kernel, written once in the operations of core/support/vector_lanes.h and
// compiled by small_kernel_ranks.cpp for each instruction set (through
// core/support/each_instruction_set.h, which defines PLORVENT_KERNEL_TARGET). Lane l of a vector
// holds output row i+l.
// Floating-point samples enter with NaN as +Inf and compare -0 equal to +0: the caller restores
// what that loses. (No include guard: it is meant to be included more than once.)

// How each class of samples is held in the lanes: signed bytes and unsigned 16-bit integers with
// their sign bit flipped, onto the unsigned bytes and signed 16-bit integers the lanes order.
// load and store convert samples to the lanes' form and back, load noting in a Screen whether a
// sample may need what the lanes lose (clean: certainly not); load_kept and keep move the lanes'
// form to and from memory as it is.
struct DoubleKind {
  typedef double Element;
  typedef Lanes V;
  static constexpr int kCount = kLanes;
  typedef LaneMask Screen;  // the lanes whose samples so far are neither NaN nor zero
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static Screen clean_screen() { return all_lanes(); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static bool clean(Screen s) { return all_ordinary(s); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load(const Element *p, Screen &s) {
    const V v = load_lanes(p);
    s = ordinary_lanes(s, v);
    return lanes_nan_as_infinity(v);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void store(Element *p, V v) { store_lanes(p, v); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load_kept(const Element *p) {
    return load_lanes(p);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void keep(Element *p, V v) { store_lanes(p, v); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V min(V a, V b) { return lanes_min(a, b); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V max(V a, V b) { return lanes_max(a, b); }
};

struct FloatKind {
  typedef float Element;
  typedef FloatLanes V;
  static constexpr int kCount = kFloatLanes;
  typedef FloatMask Screen;
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static Screen clean_screen() { return all_floats(); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static bool clean(Screen s) {
    return all_ordinary_floats(s);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load(const Element *p, Screen &s) {
    const V v = load_floats(p);
    s = ordinary_floats(s, v);
    return floats_nan_as_infinity(v);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void store(Element *p, V v) { store_floats(p, v); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load_kept(const Element *p) {
    return load_floats(p);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void keep(Element *p, V v) { store_floats(p, v); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V min(V a, V b) { return floats_min(a, b); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V max(V a, V b) { return floats_max(a, b); }
};

template <bool kFlipped>
struct ByteKind {
  typedef uint8_t Element;
  typedef ByteLanes V;
  static constexpr int kCount = kByteLanes;
  typedef bool Screen;  // integers have nothing to screen
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static Screen clean_screen() { return true; }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static bool clean(Screen s) { return s; }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load(const Element *p, Screen &) {
    return kFlipped ? bytes_flip_sign(load_bytes(p)) : load_bytes(p);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void store(Element *p, V v) {
    store_bytes(p, kFlipped ? bytes_flip_sign(v) : v);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load_kept(const Element *p) {
    return load_bytes(p);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void keep(Element *p, V v) { store_bytes(p, v); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V min(V a, V b) { return bytes_min(a, b); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V max(V a, V b) { return bytes_max(a, b); }
};

template <bool kFlipped>
struct HalfKind {
  typedef int16_t Element;
  typedef HalfLanes V;
  static constexpr int kCount = kHalfLanes;
  typedef bool Screen;
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static Screen clean_screen() { return true; }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static bool clean(Screen s) { return s; }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load(const Element *p, Screen &) {
    return kFlipped ? halves_flip_sign(load_halves(p)) : load_halves(p);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void store(Element *p, V v) {
    store_halves(p, kFlipped ? halves_flip_sign(v) : v);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load_kept(const Element *p) {
    return load_halves(p);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void keep(Element *p, V v) { store_halves(p, v); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V min(V a, V b) { return halves_min(a, b); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V max(V a, V b) { return halves_max(a, b); }
};

// 32- and 64-bit integers, one a lane, compared in their own class.
template <class T>
struct PlainKind {
  typedef T Element;
  typedef T V;
  static constexpr int kCount = 1;
  typedef bool Screen;
  static Screen clean_screen() { return true; }
  static bool clean(Screen s) { return s; }
  static V load(const Element *p, Screen &) { return *p; }
  static void store(Element *p, V v) { *p = v; }
  static V load_kept(const Element *p) { return *p; }
  static void keep(Element *p, V v) { *p = v; }
  static V min(V a, V b) { return b < a ? b : a; }
  static V max(V a, V b) { return a < b ? b : a; }
};

// The operations of a network on vectors t = 0 ... vectors-1, position q of vector t at
// s[q * tile + t]. Both results are written whatever the operation's kind: a result that is not
// used later is never read, and the loop has no branch on the kind.
template <class K>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void run_ops(typename K::V *s, int32_t tile, int32_t vectors,
                                                    const NetworkOp *ops, int32_t count) {
  typedef typename K::V V;
  for (int32_t c = 0; c < count; ++c) {
    V *low = s + ops[c].low * tile, *high = s + ops[c].high * tile;
    for (int32_t t = 0; t < vectors; ++t) {
      const V a = low[t], b = high[t];
      low[t] = K::min(a, b);
      high[t] = K::max(a, b);
    }
  }
}

// Vectors t = 0 ... tile-1 of rows starting at at[t], of rows 0 ... `rows`-1 in steps of the
// lanes, the last ones overlapping the ones before them where the rows do not divide evenly
// (their outputs are the same whichever writes them); returns how many vectors.
template <class K>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE int32_t place_tile(int64_t first, int64_t rows, int32_t tile,
                                                          int64_t *at) {
  int32_t t = 0;
  for (; t < tile && first + int64_t{t} * K::kCount < rows; ++t) {
    at[t] = std::min(first + int64_t{t} * K::kCount, rows - K::kCount);
  }
  return t;
}

// Output column j. First each sample row's n samples under the window are sorted, across the
// lanes, into sorted[w * sorted_ld + r] (the w-th smallest of row r); each sorted row serves the
// m windows that hold it. Then each window's m sorted rows are merged, `tile` vectors of rows at
// a time in `merged`.
template <class K>
PLORVENT_KERNEL_TARGET void rank_column(const ImageBlock *block, const ImageWindow *window,
                                        const RankNetworks &networks, int64_t j, int32_t tile,
                                        typename K::Element *sorted, typename K::V *merged,
                                        typename K::Screen &screen) {
  typedef typename K::Element T;
  const int32_t m = window->rows, n = window->cols;
  const int64_t rows = block->rows, ld = block->samples_ld;
  const int64_t sample_rows = rows + m - 1, sorted_ld = sample_rows;
  const T *x = static_cast<const T *>(block->samples) + j * ld;
  T *y = static_cast<T *>(block->outputs) + j * block->outputs_ld;
  typename K::Screen kept_screen = screen;  // in a register, as in rank_column_fixed
  int64_t at[kMostTileVectors];
  for (int64_t r = 0; r < sample_rows; r += int64_t{tile} * K::kCount) {
    const int32_t vectors = place_tile<K>(r, sample_rows, tile, at);
    for (int32_t w = 0; w < n; ++w) {
      for (int32_t t = 0; t < vectors; ++t) {
        merged[w * tile + t] = K::load(x + w * ld + at[t], kept_screen);
      }
    }
    run_ops<K>(merged, tile, vectors, networks.row.ops, networks.row.count);
    for (int32_t w = 0; w < n; ++w) {
      for (int32_t t = 0; t < vectors; ++t) {
        K::keep(sorted + w * sorted_ld + at[t], merged[w * tile + t]);
      }
    }
  }
  screen = kept_screen;
  for (int64_t i = 0; i < rows; i += int64_t{tile} * K::kCount) {
    const int32_t vectors = place_tile<K>(i, rows, tile, at);
    for (int32_t k = 0; k < m; ++k) {
      for (int32_t w = 0; w < n; ++w) {
        for (int32_t t = 0; t < vectors; ++t) {
          merged[(k * n + w) * tile + t] = K::load_kept(sorted + w * sorted_ld + at[t] + k);
        }
      }
    }
    run_ops<K>(merged, tile, vectors, networks.merge.ops, networks.merge.count);
    for (int32_t t = 0; t < vectors; ++t) K::store(y + at[t], merged[networks.output * tile + t]);
  }
}

// ---- Windows with kernels of their own: networks known at compile time, rows in registers ----
// (Where PLORVENT_EXPAND_KERNELS is defined: not under the sanitizers, whose instrumentation of
// the expanded operations takes minutes to compile.)

template <class K>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void fixed_op(typename K::V *s, int32_t low, int32_t high) {
  const typename K::V a = s[low], b = s[high];
  s[low] = K::min(a, b);
  s[high] = K::max(a, b);
}

template <class K, size_t... C>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void fixed_ops(typename K::V *s, const NetworkOp *ops,
                                                      std::index_sequence<C...>) {
  const int in_order[] = {0, (fixed_op<K>(s, ops[C].low, ops[C].high), 0)...};
  (void)in_order;
  (void)s;  // a window of one row or one column has no operations on one side
  (void)ops;
}

// Position Q = k*N + w of a window from sorted row at+k's w-th smallest.
template <class K, int32_t N, size_t... Q>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void load_window(typename K::V *s,
                                                        const typename K::Element *sorted,
                                                        int64_t sorted_ld, int64_t at,
                                                        std::index_sequence<Q...>) {
  const int in_order[] = {0,
                          (s[Q] = K::load_kept(sorted + (Q % N) * sorted_ld + at + Q / N), 0)...};
  (void)in_order;
}

// A sample row's N samples under the window, from columns `x`, `x + ld`, ... at row `at`, into
// row[0 ... N-1]; and back out, sorted, into sorted row `at` of each of the N sorted columns.
template <class K, size_t... W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void load_row(typename K::V *row,
                                                     const typename K::Element *x, int64_t ld,
                                                     int64_t at, typename K::Screen &screen,
                                                     std::index_sequence<W...>) {
  const int in_order[] = {0, (row[W] = K::load(x + W * ld + at, screen), 0)...};
  (void)in_order;
}
template <class K, size_t... W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void keep_row(typename K::Element *sorted, int64_t sorted_ld,
                                                     int64_t at, const typename K::V *row,
                                                     std::index_sequence<W...>) {
  const int in_order[] = {0, (K::keep(sorted + W * sorted_ld + at, row[W]), 0)...};
  (void)in_order;
}

// rank_column for the window and rank of `Fixed`, a vector of rows at a time. The screen and the
// block's sizes are held in locals: the vector stores may alias anything, and a screen kept in
// memory would chain every load of a row to the store before it.
template <class K, class Fixed>
PLORVENT_KERNEL_TARGET void rank_column_fixed(const ImageBlock *block, int64_t j,
                                              typename K::Element *sorted,
                                              typename K::Screen &screen) {
  typedef typename K::Element T;
  typedef typename K::V V;
  constexpr int32_t M = Fixed::kRows, N = Fixed::kCols;
  constexpr RankNetworks networks = Fixed::networks;
  const int64_t rows = block->rows, ld = block->samples_ld;
  const int64_t sample_rows = rows + M - 1, sorted_ld = sample_rows;
  const T *x = static_cast<const T *>(block->samples) + j * ld;
  T *y = static_cast<T *>(block->outputs) + j * block->outputs_ld;
  typename K::Screen kept_screen = screen;
  for (int64_t r = 0; r < sample_rows; r += K::kCount) {
    const int64_t at = std::min(r, sample_rows - K::kCount);
    V row[N];
    load_row<K>(row, x, ld, at, kept_screen, std::make_index_sequence<N>());
    fixed_ops<K>(row, networks.row.ops, std::make_index_sequence<networks.row.count>());
    keep_row<K>(sorted, sorted_ld, at, row, std::make_index_sequence<N>());
  }
  screen = kept_screen;
  for (int64_t i = 0; i < rows; i += K::kCount) {
    const int64_t at = std::min(i, rows - K::kCount);
    V s[M * N];
    load_window<K, N>(s, sorted, sorted_ld, at, std::make_index_sequence<M * N>());
    fixed_ops<K>(s, networks.merge.ops, std::make_index_sequence<networks.merge.count>());
    K::store(y + at, s[networks.output]);
  }
}

template <class K, class Fixed>
PLORVENT_KERNEL_TARGET bool rank_block_fixed(const ImageBlock *block, typename K::Element *sorted) {
  typename K::Screen screen = K::clean_screen();
  for (int64_t j = 0; j < block->cols; ++j) rank_column_fixed<K, Fixed>(block, j, sorted, screen);
  return K::clean(screen);
}

// How a window with a kernel of its own goes through the block in vector lanes (one output a
// lane keeps the sorted rows, whose loads run down the columns rather than across them a few rows
// at a time):
// - kSortedRows: column by column, each sample row sorted and kept for the M windows that hold it;
// - kWalkedDown: kDownColumns output columns walked down at once, each sample column's rows sorted
//   once and merged into the windows beside it from registers, nothing sorted stored and reloaded:
//   measured 1.15 to 1.3 times as fast as the sorted rows at 3x3, 1.2 to 1.9 at 2x2, 1x3, 1x5 and
//   5x3 (double and uint16). Not taken where it measured slower or even: 3x1 and 5x1, whose
//   columns no two windows share, ran 0.7 times as fast on uint8 and uint16; 3x5, 4x4 and the
//   5x5 and 7x7 minimums and maximums 0.9 to 1.05;
// - kPairsWalkedDown: walked down likewise, neighbouring windows merging the sorted columns they
//   share once, in pairs (PairRankNetworks), which nearly halves a window's minimums and maximums
//   for the 5x5 and 7x7 medians (79 against 138, 233 against 438) and saves none at 3x3. Measured
//   1.15 to 1.6 times as fast as the same pairs kept in a ring of sorted columns in memory and
//   walked across the block, which was 1.3 times as fast as merging each window whole.
enum BlockWalk { kSortedRows, kWalkedDown, kPairsWalkedDown };

// ---- Sorted columns walked down, kDownColumns output columns at a time ----
// Each vector of rows of the sample columns under the walk is sorted once (its window's M rows,
// loaded at rows at ... at+M-1) and merged, from registers, into the N windows beside it that
// hold it: nothing sorted is stored and reloaded, and the loads stream down a few neighbouring
// columns (walked across the columns, each step would touch another page).

// Sample column c's M rows from row `at`, sorted, into sorted[0 ... M-1].
template <class K, class Fixed, size_t... Q>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void sort_down(const typename K::Element *column, int64_t at,
                                                      typename K::V *sorted,
                                                      typename K::Screen &screen,
                                                      std::index_sequence<Q...>) {
  constexpr Network row =
      Fixed::kBlockWalk == kPairsWalkedDown ? Fixed::pairs.row : Fixed::columns.row;
  const int loaded[] = {0, (sorted[Q] = K::load(column + at + Q, screen), 0)...};
  (void)loaded;
  fixed_ops<K>(sorted, row.ops, std::make_index_sequence<row.count>());
}

// The window whose sorted columns start at sorted[0], merged and stored at `out`.
template <class K, class Fixed, size_t... P>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void merge_down(const typename K::V *sorted,
                                                       typename K::Element *out,
                                                       std::index_sequence<P...>) {
  constexpr RankNetworks networks = Fixed::columns;
  typename K::V s[sizeof...(P)];
  const int copied[] = {0, (s[P] = sorted[P], 0)...};
  (void)copied;
  fixed_ops<K>(s, networks.merge.ops, std::make_index_sequence<networks.merge.count>());
  K::store(out, s[networks.output]);
}

// One window's term of the split that takes q samples from its own column `own`.
template <class K, class Fixed, int32_t Q>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE typename K::V split_term(const typename K::V *shared,
                                                                const typename K::V *own) {
  constexpr PairRankNetworks pairs = Fixed::pairs;
  constexpr int32_t rank = Fixed::kRank;
  if constexpr (Q == 0) {
    return shared[pairs.shared.at[rank - pairs.s_first]];
  } else if constexpr (Q > rank) {
    return own[rank];
  } else {
    return K::max(shared[pairs.shared.at[rank - Q - pairs.s_first]], own[Q - 1]);
  }
}

template <class K, class Fixed, size_t... Q>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE typename K::V pair_output(const typename K::V *shared,
                                                                 const typename K::V *own,
                                                                 std::index_sequence<Q...>) {
  constexpr int32_t first = Fixed::pairs.q_first;
  typename K::V out = split_term<K, Fixed, first>(shared, own);
  const int in_order[] = {
      0, (out = K::min(out, split_term<K, Fixed, first + 1 + static_cast<int32_t>(Q)>(shared, own)),
          0)...};
  (void)in_order;
  return out;
}

// Windows g and g+1 of a walk, whose sorted columns start at sorted[0], share columns g+1 ...
// g+N-1 (see PairRankNetworks); their outputs are stored at `out` and `out + out_ld`.
template <class K, class Fixed, size_t... S>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void merge_pair_down(const typename K::V *sorted,
                                                            typename K::Element *out,
                                                            int64_t out_ld,
                                                            std::index_sequence<S...>) {
  constexpr int32_t M = Fixed::kRows, N = Fixed::kCols;
  constexpr PairRankNetworks pairs = Fixed::pairs;
  constexpr auto splits = std::make_index_sequence<pairs.q_last - pairs.q_first>();
  typename K::V shared[sizeof...(S)];
  const int copied[] = {0, (shared[S] = sorted[M + S], 0)...};
  (void)copied;
  fixed_ops<K>(shared, pairs.shared.merge.ops,
               std::make_index_sequence<pairs.shared.merge.count>());
  K::store(out, pair_output<K, Fixed>(shared, sorted, splits));
  K::store(out + out_ld, pair_output<K, Fixed>(shared, sorted + N * M, splits));
}

// Output columns j ... j+G-1, down every row.
template <class K, class Fixed, int32_t G, size_t... C>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void walk_down(const ImageBlock *block, int64_t j,
                                                      typename K::Screen &screen,
                                                      std::index_sequence<C...>) {
  typedef typename K::Element T;
  constexpr int32_t M = Fixed::kRows, N = Fixed::kCols;
  const int64_t rows = block->rows, ld = block->samples_ld, out_ld = block->outputs_ld;
  const T *x = static_cast<const T *>(block->samples) + j * ld;
  T *y = static_cast<T *>(block->outputs) + j * out_ld;
  for (int64_t i = 0; i < rows; i += K::kCount) {
    const int64_t at = std::min(i, rows - K::kCount);
    typename K::V sorted[sizeof...(C) * M];
    const int sorts[] = {0, (sort_down<K, Fixed>(x + C * ld, at, sorted + C * M, screen,
                                                 std::make_index_sequence<M>()),
                             0)...};
    (void)sorts;
    if constexpr (Fixed::kBlockWalk == kPairsWalkedDown) {
      for (int32_t g = 0; g < G; g += 2) {
        merge_pair_down<K, Fixed>(sorted + g * M, y + g * out_ld + at, out_ld,
                                  std::make_index_sequence<(N - 1) * M>());
      }
    } else {
      for (int32_t g = 0; g < G; ++g) {
        merge_down<K, Fixed>(sorted + g * M, y + g * out_ld + at,
                             std::make_index_sequence<M * N>());
      }
    }
  }
}

template <class K, class Fixed>
PLORVENT_KERNEL_TARGET bool rank_block_down(const ImageBlock *block, typename K::Element *sorted) {
  constexpr int32_t G = kDownColumns, N = Fixed::kCols;
  static_assert(G % 2 == 0, "a walk's windows in pairs");
  const int64_t cols = block->cols;
  // A block narrower than a walk (a thin tile along the image's edge) takes the sorted rows.
  if (cols < G) return rank_block_fixed<K, Fixed>(block, sorted);
  typename K::Screen screen = K::clean_screen();
  int64_t j = 0;
  for (; j + G <= cols; j += G) {
    walk_down<K, Fixed, G>(block, j, screen, std::make_index_sequence<G + N - 1>());
  }
  // The last columns: a walk that overlaps the one before it (the outputs it writes again are the
  // same).
  if (j < cols) {
    walk_down<K, Fixed, G>(block, cols - G, screen, std::make_index_sequence<G + N - 1>());
  }
  return K::clean(screen);
}

template <int32_t M, int32_t N, int32_t R, BlockWalk kWalk = kSortedRows>
struct Expanded : FixedRankNetworks<M, N, R> {
  static constexpr BlockWalk kBlockWalk = kWalk;
};

template <class K, class W>
PLORVENT_KERNEL_TARGET bool rank_block_expanded(const ImageBlock *block,
                                                typename K::Element *sorted) {
  if constexpr (W::kBlockWalk != kSortedRows && K::kCount > 1) {
    return rank_block_down<K, W>(block, sorted);
  } else {
    return rank_block_fixed<K, W>(block, sorted);
  }
}

// The kernel of whichever window W... is `window`, if one is: sets `clean` and returns true.
template <class K, class... W>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE bool expanded_kernel(const ImageBlock *block,
                                                            const ImageWindow *window,
                                                            typename K::Element *sorted,
                                                            bool &clean) {
  return ((window->rows == W::kRows && window->cols == W::kCols && window->rank == W::kRank &&
           (clean = rank_block_expanded<K, W>(block, sorted), true)) ||
          ...);
}

// 3x3 windows at every rank (ordfilt2's minimum, maximum and median filters among them).
template <class K, size_t... R>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE bool expanded_3x3(const ImageBlock *block,
                                                         const ImageWindow *window,
                                                         typename K::Element *sorted, bool &clean,
                                                         std::index_sequence<R...>) {
  return expanded_kernel<K, Expanded<3, 3, static_cast<int32_t>(R), kWalkedDown>...>(block, window,
                                                                                     sorted, clean);
}

// Every output of a block of at least K::kCount rows; returns whether every sample was clean.
template <class K>
PLORVENT_KERNEL_TARGET bool rank_block(const ImageBlock *block, const ImageWindow *window,
                                       const RankNetworks &networks, int32_t tile, void *work) {
  typedef typename K::V V;
  V *merged = static_cast<V *>(work);
  typename K::Element *sorted =
      reinterpret_cast<typename K::Element *>(merged + int64_t{window->rows} * window->cols * tile);
#ifdef PLORVENT_EXPAND_KERNELS
  // Besides 3x3: the 5x5 and 7x7 medians, minimums and maximums, the two middle ranks of the even
  // squares 2x2 and 4x4 (whose mean is their median), and the medians of the narrow windows.
  bool clean = false;
  if (expanded_3x3<K>(block, window, sorted, clean, std::make_index_sequence<9>()) ||
      expanded_kernel<K, Expanded<5, 5, 12, kPairsWalkedDown>, Expanded<7, 7, 24, kPairsWalkedDown>,
                      Expanded<5, 5, 0>, Expanded<5, 5, 24>, Expanded<7, 7, 0>, Expanded<7, 7, 48>,
                      Expanded<2, 2, 1, kWalkedDown>, Expanded<2, 2, 2, kWalkedDown>,
                      Expanded<4, 4, 7>, Expanded<4, 4, 8>, Expanded<1, 3, 1, kWalkedDown>,
                      Expanded<3, 1, 1>, Expanded<1, 5, 2, kWalkedDown>, Expanded<5, 1, 2>,
                      Expanded<3, 5, 7>, Expanded<5, 3, 7, kWalkedDown>>(block, window, sorted,
                                                                         clean)) {
    return clean;
  }
#endif
  typename K::Screen screen = K::clean_screen();
  for (int64_t j = 0; j < block->cols; ++j) {
    rank_column<K>(block, window, networks, j, tile, sorted, merged, screen);
  }
  return K::clean(screen);
}

// The block in lanes of this instruction set; false, with nothing written, where it has fewer
// rows than a vector of its class holds, or its class has no lanes here. `clean`: whether every
// sample was.
PLORVENT_KERNEL_TARGET bool rank_block_in_lanes(const ImageBlock *block, const ImageWindow *window,
                                                const RankNetworks &networks, int32_t tile,
                                                void *work, bool &clean) {
  int lanes = 0;
  switch (block->type) {
    case kDoubleSamples:
      lanes = DoubleKind::kCount;
      break;
    case kSingleSamples:
      lanes = FloatKind::kCount;
      break;
    case kUint8Samples:
    case kInt8Samples:
    case kLogicalSamples:
      lanes = kByteLanes;
      break;
    case kInt16Samples:
    case kUint16Samples:
      lanes = kHalfLanes;
      break;
    default:
      return false;
  }
  if (block->rows < lanes) return false;
  switch (block->type) {
    case kDoubleSamples:
      clean = rank_block<DoubleKind>(block, window, networks, tile, work);
      break;
    case kSingleSamples:
      clean = rank_block<FloatKind>(block, window, networks, tile, work);
      break;
    case kInt8Samples:
      clean = rank_block<ByteKind<true>>(block, window, networks, tile, work);
      break;
    case kInt16Samples:
      clean = rank_block<HalfKind<false>>(block, window, networks, tile, work);
      break;
    case kUint16Samples:
      clean = rank_block<HalfKind<true>>(block, window, networks, tile, work);
      break;
    default:
      clean = rank_block<ByteKind<false>>(block, window, networks, tile, work);
      break;
  }
  return true;
}
