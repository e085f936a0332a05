// Sixteen 16-bit counts in a vector: the cumulative histograms of the sliding-histogram engine,
// where lane b counts the samples at or below bin b. SSE2 on every x86-64 processor, NEON on
// every aarch64 one, a plain array elsewhere; no run-time choice is needed. Sums wrap modulo 2^16,
// so a count taken away and added back is exact.
//   load_counts, store_counts  sixteen counts from and to any address
//   counts_add, counts_sub     lane by lane
//   counts_from                one in lanes `bin` ... 15, zero below: one sample of bin `bin`
//   counts_at_most             how many lanes are at most `rank` (a prefix of the lanes, as
//                              cumulative counts ascend)
#ifndef PLORVENT_CORE_IMAGES_COUNT_LANES_H
#define PLORVENT_CORE_IMAGES_COUNT_LANES_H

#include <cstdint>

#include "core/support/bit_scan.h"
#include "core/support/vector_lanes.h"

constexpr int32_t kCountLanes = 16;

#if defined(PLORVENT_X86_64_LANES)

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

PLORVENT_INLINE int32_t counts_at_most(CountVector v, int32_t rank) {
  const __m128i r = _mm_set1_epi16(static_cast<int16_t>(rank));
  const __m128i zero = _mm_setzero_si128();
  // A count is at most the rank where subtracting the rank saturates to zero.
  const __m128i at_most = _mm_packs_epi16(_mm_cmpeq_epi16(_mm_subs_epu16(v.lo, r), zero),
                                          _mm_cmpeq_epi16(_mm_subs_epu16(v.hi, r), zero));
  return lowest_bit(~static_cast<uint64_t>(_mm_movemask_epi8(at_most)));
}

#elif defined(PLORVENT_NEON_LANES)

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
  return vaddvq_u16(
      vaddq_u16(vshrq_n_u16(vcleq_u16(v.lo, r), 15), vshrq_n_u16(vcleq_u16(v.hi, r), 15)));
}

#else

struct CountVector {
  uint16_t lane[kCountLanes];
};

inline CountVector load_counts(const uint16_t *p) {
  CountVector v;
  for (int b = 0; b < kCountLanes; ++b) v.lane[b] = p[b];
  return v;
}

inline void store_counts(uint16_t *p, CountVector v) {
  for (int b = 0; b < kCountLanes; ++b) p[b] = v.lane[b];
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

#endif

// Lanes b ... 15 of row b are one, lanes 0 ... b-1 zero.
struct OnesFromTable {
  uint16_t row[kCountLanes][kCountLanes];
};

constexpr OnesFromTable ones_from_table() {
  OnesFromTable t = {};
  for (int32_t b = 0; b < kCountLanes; ++b) {
    for (int32_t l = b; l < kCountLanes; ++l) t.row[b][l] = 1;
  }
  return t;
}

inline constexpr OnesFromTable kOnesFrom = ones_from_table();

// A table's row is two loads, where comparing with a ramp takes a broadcast and four operations.
PLORVENT_INLINE CountVector counts_from(int32_t bin) {
  return load_counts(kOnesFrom.row[bin]);
}

#endif
