// The separable rank kernel, written once in the operations of core/support/vector_lanes.h and
// compiled by small_kernel_ranks.cpp for each instruction set (through
// core/support/each_instruction_set.h, which defines PLORVENT_KERNEL_TARGET). Lane l of a vector
// holds output row i+l: a column's m samples are m vectors loaded a row apart.
// Floating-point samples enter with NaN as +Inf and compare -0 equal to +0: the caller restores
// what that loses. (No include guard: it is meant to be included more than once.)

// How each class of samples is held in the lanes: signed bytes and unsigned 16-bit integers with
// their sign bit flipped, onto the unsigned bytes and signed 16-bit integers the lanes order.
struct DoubleKind {
  typedef double Element;
  typedef Lanes V;
  static constexpr int kCount = kLanes;
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load(const Element *p) {
    return lanes_nan_as_infinity(load_lanes(p));
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void store(Element *p, V v) { store_lanes(p, v); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V min(V a, V b) { return lanes_min(a, b); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V max(V a, V b) { return lanes_max(a, b); }
};

struct FloatKind {
  typedef float Element;
  typedef FloatLanes V;
  static constexpr int kCount = kFloatLanes;
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load(const Element *p) {
    return floats_nan_as_infinity(load_floats(p));
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void store(Element *p, V v) { store_floats(p, v); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V min(V a, V b) { return floats_min(a, b); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V max(V a, V b) { return floats_max(a, b); }
};

template <bool kFlipped>
struct ByteKind {
  typedef uint8_t Element;
  typedef ByteLanes V;
  static constexpr int kCount = kByteLanes;
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load(const Element *p) {
    return kFlipped ? bytes_flip_sign(load_bytes(p)) : load_bytes(p);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void store(Element *p, V v) {
    store_bytes(p, kFlipped ? bytes_flip_sign(v) : v);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V min(V a, V b) { return bytes_min(a, b); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V max(V a, V b) { return bytes_max(a, b); }
};

template <bool kFlipped>
struct HalfKind {
  typedef int16_t Element;
  typedef HalfLanes V;
  static constexpr int kCount = kHalfLanes;
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V load(const Element *p) {
    return kFlipped ? halves_flip_sign(load_halves(p)) : load_halves(p);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static void store(Element *p, V v) {
    store_halves(p, kFlipped ? halves_flip_sign(v) : v);
  }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V min(V a, V b) { return halves_min(a, b); }
  PLORVENT_KERNEL_TARGET PLORVENT_INLINE static V max(V a, V b) { return halves_max(a, b); }
};

// 32- and 64-bit integers, one a lane, compared in their own class.
template <class T>
struct PlainKind {
  typedef T Element;
  typedef T V;
  static constexpr int kCount = 1;
  static V load(const Element *p) { return *p; }
  static void store(Element *p, V v) { *p = v; }
  static V min(V a, V b) { return b < a ? b : a; }
  static V max(V a, V b) { return a < b ? b : a; }
};

// The operations of a network on s[]. Both results are written whatever the operation's kind:
// a result that is not used later is never read, and the loop has no branch on the kind.
template <class K>
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void run_ops(typename K::V *s, const NetworkOp *ops,
                                                    int32_t count) {
  for (int32_t c = 0; c < count; ++c) {
    const typename K::V a = s[ops[c].low], b = s[ops[c].high];
    s[ops[c].low] = K::min(a, b);
    s[ops[c].high] = K::max(a, b);
  }
}

// The outputs of rows i ... i+kCount-1, for every output column. `ring` holds the sorted columns
// of the last n sample columns (column c at (c mod n) * m), `merged` one window's.
template <class K>
PLORVENT_KERNEL_TARGET void rank_rows(const ImageBlock *block, const ImageWindow *window,
                                      const RankNetworks &networks, int64_t i, typename K::V *ring,
                                      typename K::V *merged) {
  typedef typename K::Element T;
  const int32_t m = window->rows, n = window->cols;
  const T *x = static_cast<const T *>(block->samples) + i;
  T *y = static_cast<T *>(block->outputs) + i;
  for (int64_t c = 0; c < block->cols + n - 1; ++c) {
    typename K::V *sorted = ring + (c % n) * m;
    for (int32_t k = 0; k < m; ++k) sorted[k] = K::load(x + c * block->samples_ld + k);
    run_ops<K>(sorted, networks.column.ops, networks.column.count);
    if (c < n - 1) continue;
    const int64_t j = c - (n - 1);
    for (int32_t w = 0; w < n; ++w) {
      const typename K::V *from = ring + ((j + w) % n) * m;
      for (int32_t k = 0; k < m; ++k) merged[w * m + k] = from[k];
    }
    run_ops<K>(merged, networks.merge.ops, networks.merge.count);
    K::store(y + j * block->outputs_ld, merged[networks.output]);
  }
}

// Every output of a block of at least K::kCount rows; the last vector of rows overlaps the one
// before it where the rows do not divide evenly (its outputs are the same whichever writes them).
template <class K>
PLORVENT_KERNEL_TARGET void rank_block(const ImageBlock *block, const ImageWindow *window,
                                       const RankNetworks &networks, void *work) {
  typedef typename K::V V;
  V *ring = static_cast<V *>(work);
  V *merged = ring + window->rows * window->cols;
  for (int64_t i = 0; i < block->rows; i += K::kCount) {
    rank_rows<K>(block, window, networks,
                 i + K::kCount <= block->rows ? i : block->rows - K::kCount, ring, merged);
  }
}

// The block in lanes of this instruction set; false, with nothing written, where it has fewer
// rows than a vector of its class holds, or its class has no lanes here.
PLORVENT_KERNEL_TARGET bool rank_block_in_lanes(const ImageBlock *block, const ImageWindow *window,
                                                const RankNetworks &networks, void *work) {
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
      rank_block<DoubleKind>(block, window, networks, work);
      break;
    case kSingleSamples:
      rank_block<FloatKind>(block, window, networks, work);
      break;
    case kInt8Samples:
      rank_block<ByteKind<true>>(block, window, networks, work);
      break;
    case kInt16Samples:
      rank_block<HalfKind<false>>(block, window, networks, work);
      break;
    case kUint16Samples:
      rank_block<HalfKind<true>>(block, window, networks, work);
      break;
    default:
      rank_block<ByteKind<false>>(block, window, networks, work);
      break;
  }
  return true;
}
