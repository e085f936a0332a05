// Sixteen 16-bit counts in a vector, for the sliding-histogram kernels: one more kind of lanes in
// each namespace of vector_lanes.h (see each_instruction_set.h), so that a kernel written once in
// them is compiled for every instruction set. Sums wrap modulo 2^16, so that a count taken away
// and added back is exact.
//   CountVector                 sixteen counts: two SSE2 or NEON vectors, one AVX2 vector (also
//                               under AVX-512, whose 16-bit operations are AVX-512BW's)
//   load_counts, store_counts   sixteen counts from and to any address
//   counts_add, counts_sub      lane by lane
//   counts_at_most              how many lanes are at most `rank`, where the lanes ascend (as the
//                               counts of a cumulative histogram do): a prefix of the lanes
//   load_byte_counts            sixteen one-byte counts from any address, widened to 16 bits
//   byte_counts_add, _sub       sixteen one-byte counts at an address, added to or taken from in
//                               place, lane by lane (modulo 2^8)
//   places_in_window            of 64 places' sample rows and columns (one byte each), a bit for
//                               each place within rows row ... row+m-1 and columns col ...
//                               col+n-1 (coordinates wrap at 256: no block is that large)
// kOnesFrom.row[b] holds ones in lanes b ... 15 and zeros below: one sample of bin b counted in a
// cumulative histogram (two loads, where comparing with a ramp takes a broadcast and four
// operations); kByteOnesFrom likewise in bytes. prefetch_counts asks for counts ahead of their
// update, on any processor.
#ifndef PLORVENT_CORE_IMAGES_COUNT_LANES_H
#define PLORVENT_CORE_IMAGES_COUNT_LANES_H

#include <cstdint>

#include "core/support/bit_scan.h"
#include "core/support/vector_lanes.h"

constexpr int32_t kCountLanes = 16;
// The places places_in_window looks at.
constexpr int32_t kWindowPlaces = 64;

template <class Count>
struct OnesFromTable {
  Count row[kCountLanes][kCountLanes];
};

template <class Count>
constexpr OnesFromTable<Count> ones_from_table() {
  OnesFromTable<Count> t = {};
  for (int32_t b = 0; b < kCountLanes; ++b) {
    for (int32_t l = b; l < kCountLanes; ++l) t.row[b][l] = 1;
  }
  return t;
}

inline constexpr OnesFromTable<uint16_t> kOnesFrom = ones_from_table<uint16_t>();
inline constexpr OnesFromTable<uint8_t> kByteOnesFrom = ones_from_table<uint8_t>();

// Asks for the counts at `p` to be brought into the cache for writing, ahead of their update.
inline void prefetch_counts(const void *p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p, 1);
#elif defined(PLORVENT_X86_64_LANES)
  _mm_prefetch(static_cast<const char *>(p), _MM_HINT_T0);
#else
  (void)p;
#endif
}

namespace scalar_lanes {
struct CountVector {
  uint16_t lane[kCountLanes];
};
inline CountVector load_counts(const uint16_t *p) {
  CountVector v;
  for (int l = 0; l < kCountLanes; ++l) v.lane[l] = p[l];
  return v;
}
inline void store_counts(uint16_t *p, CountVector v) {
  for (int l = 0; l < kCountLanes; ++l) p[l] = v.lane[l];
}
inline CountVector counts_add(CountVector a, CountVector b) {
  for (int l = 0; l < kCountLanes; ++l) a.lane[l] = static_cast<uint16_t>(a.lane[l] + b.lane[l]);
  return a;
}
inline CountVector counts_sub(CountVector a, CountVector b) {
  for (int l = 0; l < kCountLanes; ++l) a.lane[l] = static_cast<uint16_t>(a.lane[l] - b.lane[l]);
  return a;
}
inline int32_t counts_at_most(CountVector v, int32_t rank) {
  int32_t lanes = 0;
  for (int l = 0; l < kCountLanes; ++l) lanes += v.lane[l] <= rank;
  return lanes;
}
inline CountVector load_byte_counts(const uint8_t *p) {
  CountVector v;
  for (int l = 0; l < kCountLanes; ++l) v.lane[l] = p[l];
  return v;
}
inline void byte_counts_add(uint8_t *p, const uint8_t *ones) {
  for (int l = 0; l < kCountLanes; ++l) p[l] = static_cast<uint8_t>(p[l] + ones[l]);
}
inline void byte_counts_sub(uint8_t *p, const uint8_t *ones) {
  for (int l = 0; l < kCountLanes; ++l) p[l] = static_cast<uint8_t>(p[l] - ones[l]);
}
inline uint64_t places_in_window(const uint8_t *rows, const uint8_t *cols, int32_t row, int32_t m,
                                 int32_t col, int32_t n) {
  uint64_t inside = 0;
  for (int l = 0; l < kWindowPlaces; ++l) {
    const bool in =
        static_cast<uint8_t>(rows[l] - row) < m && static_cast<uint8_t>(cols[l] - col) < n;
    inside |= uint64_t{in} << l;
  }
  return inside;
}
}  // namespace scalar_lanes

#ifdef PLORVENT_X86_64_LANES
namespace sse2_lanes {
struct CountVector {
  __m128i lo, hi;
};
PLORVENT_INLINE CountVector load_counts(const uint16_t *p) {
  return {_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 8))};
}
PLORVENT_INLINE void store_counts(uint16_t *p, CountVector v) {
  _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v.lo);
  _mm_storeu_si128(reinterpret_cast<__m128i *>(p + 8), v.hi);
}
PLORVENT_INLINE CountVector counts_add(CountVector a, CountVector b) {
  return {_mm_add_epi16(a.lo, b.lo), _mm_add_epi16(a.hi, b.hi)};
}
PLORVENT_INLINE CountVector counts_sub(CountVector a, CountVector b) {
  return {_mm_sub_epi16(a.lo, b.lo), _mm_sub_epi16(a.hi, b.hi)};
}
// A count is at most the rank where subtracting the rank saturates to zero.
PLORVENT_INLINE int32_t counts_at_most(CountVector v, int32_t rank) {
  const __m128i r = _mm_set1_epi16(static_cast<int16_t>(rank));
  const __m128i zero = _mm_setzero_si128();
  const __m128i at_most = _mm_packs_epi16(_mm_cmpeq_epi16(_mm_subs_epu16(v.lo, r), zero),
                                          _mm_cmpeq_epi16(_mm_subs_epu16(v.hi, r), zero));
  return lowest_bit(~static_cast<uint64_t>(_mm_movemask_epi8(at_most)));
}
PLORVENT_INLINE CountVector load_byte_counts(const uint8_t *p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
  const __m128i zero = _mm_setzero_si128();
  return {_mm_unpacklo_epi8(v, zero), _mm_unpackhi_epi8(v, zero)};
}
PLORVENT_INLINE void byte_counts_add(uint8_t *p, const uint8_t *ones) {
  __m128i *at = reinterpret_cast<__m128i *>(p);
  const __m128i add = _mm_loadu_si128(reinterpret_cast<const __m128i *>(ones));
  _mm_storeu_si128(at, _mm_add_epi8(_mm_loadu_si128(at), add));
}
PLORVENT_INLINE void byte_counts_sub(uint8_t *p, const uint8_t *ones) {
  __m128i *at = reinterpret_cast<__m128i *>(p);
  const __m128i sub = _mm_loadu_si128(reinterpret_cast<const __m128i *>(ones));
  _mm_storeu_si128(at, _mm_sub_epi8(_mm_loadu_si128(at), sub));
}
// A byte b is within `from` ... from+span-1 where b - from, wrapped, is its minimum with span-1.
PLORVENT_INLINE __m128i bytes_within(const uint8_t *p, __m128i from, __m128i last) {
  const __m128i d = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), from);
  return _mm_cmpeq_epi8(_mm_min_epu8(d, last), d);
}
PLORVENT_INLINE uint64_t places_in_window(const uint8_t *rows, const uint8_t *cols, int32_t row,
                                          int32_t m, int32_t col, int32_t n) {
  const __m128i row0 = _mm_set1_epi8(static_cast<char>(row)),
                col0 = _mm_set1_epi8(static_cast<char>(col));
  const __m128i last_row = _mm_set1_epi8(static_cast<char>(m - 1));
  const __m128i last_col = _mm_set1_epi8(static_cast<char>(n - 1));
  uint64_t inside = 0;
  for (int l = 0; l < kWindowPlaces; l += 16) {
    const __m128i in = _mm_and_si128(bytes_within(rows + l, row0, last_row),
                                     bytes_within(cols + l, col0, last_col));
    inside |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(in))) << l;
  }
  return inside;
}
}  // namespace sse2_lanes

namespace avx2_lanes {
typedef __m256i CountVector;
PLORVENT_TARGET_AVX2 PLORVENT_INLINE CountVector load_counts(const uint16_t *p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void store_counts(uint16_t *p, CountVector v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), v);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE CountVector counts_add(CountVector a, CountVector b) {
  return _mm256_add_epi16(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE CountVector counts_sub(CountVector a, CountVector b) {
  return _mm256_sub_epi16(a, b);
}
// Two mask bits a lane.
PLORVENT_TARGET_AVX2 PLORVENT_INLINE int32_t counts_at_most(CountVector v, int32_t rank) {
  const __m256i r = _mm256_set1_epi16(static_cast<int16_t>(rank));
  const __m256i at_most = _mm256_cmpeq_epi16(_mm256_subs_epu16(v, r), _mm256_setzero_si256());
  const uint32_t bits = static_cast<uint32_t>(_mm256_movemask_epi8(at_most));
  return lowest_bit(~static_cast<uint64_t>(bits)) / 2;
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE CountVector load_byte_counts(const uint8_t *p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
}
// Sixteen one-byte counts fill an SSE2 vector: AVX2 has no wider way to update them.
using sse2_lanes::byte_counts_add;
using sse2_lanes::byte_counts_sub;
PLORVENT_TARGET_AVX2 PLORVENT_INLINE __m256i bytes_within(const uint8_t *p, __m256i from,
                                                          __m256i last) {
  const __m256i d = _mm256_sub_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)), from);
  return _mm256_cmpeq_epi8(_mm256_min_epu8(d, last), d);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE uint64_t places_in_window(const uint8_t *rows,
                                                               const uint8_t *cols, int32_t row,
                                                               int32_t m, int32_t col, int32_t n) {
  const __m256i row0 = _mm256_set1_epi8(static_cast<char>(row));
  const __m256i col0 = _mm256_set1_epi8(static_cast<char>(col));
  const __m256i last_row = _mm256_set1_epi8(static_cast<char>(m - 1));
  const __m256i last_col = _mm256_set1_epi8(static_cast<char>(n - 1));
  uint64_t inside = 0;
  for (int l = 0; l < kWindowPlaces; l += 32) {
    const __m256i in = _mm256_and_si256(bytes_within(rows + l, row0, last_row),
                                        bytes_within(cols + l, col0, last_col));
    inside |= static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(in))) << l;
  }
  return inside;
}
}  // namespace avx2_lanes

namespace avx512_lanes {
typedef avx2_lanes::CountVector CountVector;
using avx2_lanes::byte_counts_add;
using avx2_lanes::byte_counts_sub;
using avx2_lanes::counts_add;
using avx2_lanes::counts_at_most;
using avx2_lanes::counts_sub;
using avx2_lanes::load_byte_counts;
using avx2_lanes::load_counts;
using avx2_lanes::places_in_window;
using avx2_lanes::store_counts;
}  // namespace avx512_lanes
#endif

#ifdef PLORVENT_NEON_LANES
namespace neon_lanes {
struct CountVector {
  uint16x8_t lo, hi;
};
PLORVENT_INLINE CountVector load_counts(const uint16_t *p) {
  return {vld1q_u16(p), vld1q_u16(p + 8)};
}
PLORVENT_INLINE void store_counts(uint16_t *p, CountVector v) {
  vst1q_u16(p, v.lo);
  vst1q_u16(p + 8, v.hi);
}
PLORVENT_INLINE CountVector counts_add(CountVector a, CountVector b) {
  return {vaddq_u16(a.lo, b.lo), vaddq_u16(a.hi, b.hi)};
}
PLORVENT_INLINE CountVector counts_sub(CountVector a, CountVector b) {
  return {vsubq_u16(a.lo, b.lo), vsubq_u16(a.hi, b.hi)};
}
PLORVENT_INLINE int32_t counts_at_most(CountVector v, int32_t rank) {
  const uint16x8_t r = vdupq_n_u16(static_cast<uint16_t>(rank));
  const uint16x8_t lo = vshrq_n_u16(vcleq_u16(v.lo, r), 15);
  const uint16x8_t hi = vshrq_n_u16(vcleq_u16(v.hi, r), 15);
  return vaddvq_u16(vaddq_u16(lo, hi));
}
PLORVENT_INLINE CountVector load_byte_counts(const uint8_t *p) {
  const uint8x16_t v = vld1q_u8(p);
  return {vmovl_u8(vget_low_u8(v)), vmovl_u8(vget_high_u8(v))};
}
PLORVENT_INLINE void byte_counts_add(uint8_t *p, const uint8_t *ones) {
  vst1q_u8(p, vaddq_u8(vld1q_u8(p), vld1q_u8(ones)));
}
PLORVENT_INLINE void byte_counts_sub(uint8_t *p, const uint8_t *ones) {
  vst1q_u8(p, vsubq_u8(vld1q_u8(p), vld1q_u8(ones)));
}
PLORVENT_INLINE uint64_t places_in_window(const uint8_t *rows, const uint8_t *cols, int32_t row,
                                          int32_t m, int32_t col, int32_t n) {
  static const uint8_t kBitOfLane[16] = {1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128};
  const uint8x16_t bit_of_lane = vld1q_u8(kBitOfLane);
  const uint8x16_t row0 = vdupq_n_u8(static_cast<uint8_t>(row));
  const uint8x16_t col0 = vdupq_n_u8(static_cast<uint8_t>(col));
  const uint8x16_t rows_high = vdupq_n_u8(static_cast<uint8_t>(m));
  const uint8x16_t cols_wide = vdupq_n_u8(static_cast<uint8_t>(n));
  uint64_t inside = 0;
  for (int l = 0; l < kWindowPlaces; l += 16) {
    const uint8x16_t in = vandq_u8(vcltq_u8(vsubq_u8(vld1q_u8(rows + l), row0), rows_high),
                                   vcltq_u8(vsubq_u8(vld1q_u8(cols + l), col0), cols_wide));
    const uint8x16_t bits = vandq_u8(in, bit_of_lane);
    const uint64_t low = vaddv_u8(vget_low_u8(bits)), high = vaddv_u8(vget_high_u8(bits));
    inside |= (low | high << 8) << l;
  }
  return inside;
}
}  // namespace neon_lanes
#endif

#endif
