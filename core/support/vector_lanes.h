// The vector operations the kernels are written in: one namespace per instruction set, each
// with the same names, so that a kernel written once is compiled for each of them (see
// each_instruction_set.h).
//   Lanes, LaneMask, kLanes   a vector of doubles, a mask of its lanes, how many lanes
//   lanes_min, lanes_max      the minimum and maximum of each lane; which operand they give for
//                             a NaN or for zeros of both signs differs between instruction sets
//   load_lanes                kLanes doubles from any address
//   split_rows, merge_rows    the paired-window layout: lane l of a vector handles windows s_l
//                             and s_l+1 (s_l a permutation of 0, 2, ..., 2*kLanes-2), row r
//                             of the lanes holds sample s_l + r; split_rows reads rows 0 and 1
//                             from y, merge_rows writes the medians of both windows of each lane
//                             to out[0 ... 2*kLanes-1] in window order
//   all_lanes, ordinary_lanes, all_ordinary
//                             a mask of every lane, the lanes of a mask whose sample is neither
//                             NaN nor zero, and whether a mask holds every lane
//   lanes_of, lanes_add, lanes_sub, lanes_mul, lanes_abs
//                             a value in every lane; IEEE arithmetic lane by lane (lanes_abs
//                             clears the sign bit)
//   lanes_less, lanes_at_most, lanes_equal, masks_and, masks_or, lanes_select
//                             the ordered comparisons (false for NaN), masks combined, and each
//                             lane of one operand or the other as a mask says
//   load_transposed, store_transposed
//                             kLanes rows of kLanes doubles, row l from rows[l] + offset, with
//                             rows and lanes exchanged: lane l of vector j is row l's j-th double
//   store_lanes, lanes_nan_as_infinity
//                             kLanes doubles to any address; each NaN lane made +Inf
// The narrower samples of images, in vectors of their own (same operations, prefixed):
//   FloatLanes, kFloatLanes   floats: load_floats, store_floats, floats_min, floats_max,
//                             floats_nan_as_infinity; FloatMask with all_floats,
//                             ordinary_floats and all_ordinary_floats as for doubles
//   ByteLanes, kByteLanes     unsigned bytes: load_bytes, store_bytes, bytes_min, bytes_max, and
//                             bytes_flip_sign (each byte's top bit flipped, which maps signed
//                             bytes onto unsigned ones in the same order, and back)
//   HalfLanes, kHalfLanes     signed 16-bit integers: load_halves, store_halves, halves_min,
//                             halves_max, halves_flip_sign (unsigned 16-bit onto signed, and back)
// Written with the vendor intrinsics that GCC, clang and MSVC all accept. Instruction sets
// beyond the build's baseline (AVX2, AVX-512) run only where the processor has them (checked at
// run time, see vector_width.h): GCC and clang compile them in functions marked with their
// target, with no compiler flag, so a plain build still runs on any x86-64 processor; MSVC
// compiles intrinsics of any width without one. NEON is part of every aarch64 processor.
#ifndef PLORVENT_CORE_SUPPORT_VECTOR_LANES_H
#define PLORVENT_CORE_SUPPORT_VECTOR_LANES_H

#include <cstdint>
#include <cstring>
#include <limits>

#include "core/support/always_inline.h"

#if defined(__x86_64__) || defined(_M_X64)
#define PLORVENT_X86_64_LANES 1
// GCC 12's AVX-512 intrinsics start from a vector initialised with itself, which -Wall flags
// wherever they are inlined.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#else
#include <immintrin.h>
#endif
// clang in MSVC mode declares the wider intrinsics only for builds that target them; the
// kernels' target attributes need them declared in any build (each header needs the ones before).
#if defined(_MSC_VER) && defined(__clang__)
// clang-format off
#include <smmintrin.h>
#include <avxintrin.h>
#include <avx2intrin.h>
#include <avx512fintrin.h>
// clang-format on
#endif
#elif defined(__aarch64__) || defined(_M_ARM64)
#define PLORVENT_NEON_LANES 1
#include <arm_neon.h>
#endif

#if defined(__GNUC__) || defined(__clang__)
#define PLORVENT_TARGET_AVX2 __attribute__((target("avx2")))
#define PLORVENT_TARGET_AVX512 __attribute__((target("avx512f")))
#else
#define PLORVENT_TARGET_AVX2
#define PLORVENT_TARGET_AVX512
#endif

// Plain doubles, one lane: for other processors, and for tests of the kernels' logic.
namespace scalar_lanes {
typedef double Lanes;
typedef bool LaneMask;
constexpr int kLanes = 1;
PLORVENT_INLINE Lanes lanes_min(Lanes a, Lanes b) {
  return b < a ? b : a;
}
PLORVENT_INLINE Lanes lanes_max(Lanes a, Lanes b) {
  return a < b ? b : a;
}
PLORVENT_INLINE Lanes load_lanes(const double *p) {
  return *p;
}
PLORVENT_INLINE void split_rows(const double *y, Lanes &even, Lanes &odd) {
  even = y[0];
  odd = y[1];
}
PLORVENT_INLINE void merge_rows(double *out, Lanes first, Lanes second) {
  out[0] = first;
  out[1] = second;
}
PLORVENT_INLINE LaneMask all_lanes() {
  return true;
}
// Neither NaN nor zero, for doubles (Bits uint64_t) and floats (uint32_t). With the sign
// dropped, zero is the only value whose bits minus one wrap around, and NaN's bits are those
// above infinity's: one comparison, no branch.
template <class Bits, class T>
PLORVENT_INLINE bool is_ordinary(T v) {
  const T infinity = std::numeric_limits<T>::infinity();
  Bits bits, infinity_bits;
  std::memcpy(&bits, &v, sizeof bits);
  std::memcpy(&infinity_bits, &infinity, sizeof infinity_bits);
  return static_cast<Bits>((bits << 1) - 1) < static_cast<Bits>(infinity_bits << 1);
}
PLORVENT_INLINE LaneMask ordinary_lanes(LaneMask mask, Lanes v) {
  return mask & is_ordinary<uint64_t>(v);
}
PLORVENT_INLINE bool all_ordinary(LaneMask mask) {
  return mask;
}
PLORVENT_INLINE Lanes lanes_of(double v) {
  return v;
}
PLORVENT_INLINE Lanes lanes_add(Lanes a, Lanes b) {
  return a + b;
}
PLORVENT_INLINE Lanes lanes_sub(Lanes a, Lanes b) {
  return a - b;
}
PLORVENT_INLINE Lanes lanes_mul(Lanes a, Lanes b) {
  return a * b;
}
PLORVENT_INLINE Lanes lanes_abs(Lanes a) {
  uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  bits &= ~(uint64_t{1} << 63);
  std::memcpy(&a, &bits, sizeof bits);
  return a;
}
PLORVENT_INLINE LaneMask lanes_less(Lanes a, Lanes b) {
  return a < b;
}
PLORVENT_INLINE LaneMask lanes_at_most(Lanes a, Lanes b) {
  return a <= b;
}
PLORVENT_INLINE LaneMask lanes_equal(Lanes a, Lanes b) {
  return a == b;
}
PLORVENT_INLINE LaneMask masks_and(LaneMask a, LaneMask b) {
  return a && b;
}
PLORVENT_INLINE LaneMask masks_or(LaneMask a, LaneMask b) {
  return a || b;
}
PLORVENT_INLINE Lanes lanes_select(LaneMask mask, Lanes if_true, Lanes if_false) {
  return mask ? if_true : if_false;
}
PLORVENT_INLINE void load_transposed(const double *const *rows, int64_t offset, Lanes *columns) {
  columns[0] = rows[0][offset];
}
PLORVENT_INLINE void store_transposed(double *const *rows, int64_t offset, const Lanes *columns) {
  rows[0][offset] = columns[0];
}
PLORVENT_INLINE void store_lanes(double *p, Lanes v) {
  *p = v;
}
PLORVENT_INLINE Lanes lanes_nan_as_infinity(Lanes v) {
  return v == v ? v : std::numeric_limits<double>::infinity();
}
typedef float FloatLanes;
constexpr int kFloatLanes = 1;
PLORVENT_INLINE FloatLanes load_floats(const float *p) {
  return *p;
}
PLORVENT_INLINE void store_floats(float *p, FloatLanes v) {
  *p = v;
}
PLORVENT_INLINE FloatLanes floats_min(FloatLanes a, FloatLanes b) {
  return b < a ? b : a;
}
PLORVENT_INLINE FloatLanes floats_max(FloatLanes a, FloatLanes b) {
  return a < b ? b : a;
}
PLORVENT_INLINE FloatLanes floats_nan_as_infinity(FloatLanes v) {
  return v == v ? v : std::numeric_limits<float>::infinity();
}
typedef bool FloatMask;
PLORVENT_INLINE FloatMask all_floats() {
  return true;
}
PLORVENT_INLINE FloatMask ordinary_floats(FloatMask mask, FloatLanes v) {
  return mask & is_ordinary<uint32_t>(v);
}
PLORVENT_INLINE bool all_ordinary_floats(FloatMask mask) {
  return mask;
}
typedef uint8_t ByteLanes;
constexpr int kByteLanes = 1;
PLORVENT_INLINE ByteLanes load_bytes(const uint8_t *p) {
  return *p;
}
PLORVENT_INLINE void store_bytes(uint8_t *p, ByteLanes v) {
  *p = v;
}
PLORVENT_INLINE ByteLanes bytes_min(ByteLanes a, ByteLanes b) {
  return b < a ? b : a;
}
PLORVENT_INLINE ByteLanes bytes_max(ByteLanes a, ByteLanes b) {
  return a < b ? b : a;
}
PLORVENT_INLINE ByteLanes bytes_flip_sign(ByteLanes v) {
  return static_cast<uint8_t>(v ^ 0x80);
}
typedef int16_t HalfLanes;
constexpr int kHalfLanes = 1;
PLORVENT_INLINE HalfLanes load_halves(const int16_t *p) {
  return *p;
}
PLORVENT_INLINE void store_halves(int16_t *p, HalfLanes v) {
  *p = v;
}
PLORVENT_INLINE HalfLanes halves_min(HalfLanes a, HalfLanes b) {
  return b < a ? b : a;
}
PLORVENT_INLINE HalfLanes halves_max(HalfLanes a, HalfLanes b) {
  return a < b ? b : a;
}
PLORVENT_INLINE HalfLanes halves_flip_sign(HalfLanes v) {
  return static_cast<int16_t>(static_cast<uint16_t>(v) ^ 0x8000u);
}
}  // namespace scalar_lanes

#ifdef PLORVENT_X86_64_LANES
// Two lanes; every x86-64 processor has SSE2. The unpacks split two overlapping loads into the
// even and odd rows: lane l starts at sample 2l.
namespace sse2_lanes {
typedef __m128d Lanes;
typedef __m128d LaneMask;
constexpr int kLanes = 2;
PLORVENT_INLINE Lanes lanes_min(Lanes a, Lanes b) {
  return _mm_min_pd(a, b);
}
PLORVENT_INLINE Lanes lanes_max(Lanes a, Lanes b) {
  return _mm_max_pd(a, b);
}
PLORVENT_INLINE Lanes load_lanes(const double *p) {
  return _mm_loadu_pd(p);
}
PLORVENT_INLINE void split_rows(const double *y, Lanes &even, Lanes &odd) {
  const __m128d a = _mm_loadu_pd(y), b = _mm_loadu_pd(y + 2);
  even = _mm_unpacklo_pd(a, b);
  odd = _mm_unpackhi_pd(a, b);
}
PLORVENT_INLINE void merge_rows(double *out, Lanes first, Lanes second) {
  _mm_storeu_pd(out, _mm_unpacklo_pd(first, second));
  _mm_storeu_pd(out + 2, _mm_unpackhi_pd(first, second));
}
PLORVENT_INLINE LaneMask all_lanes() {
  return _mm_castsi128_pd(_mm_set1_epi32(-1));
}
PLORVENT_INLINE LaneMask ordinary_lanes(LaneMask mask, Lanes v) {
  return _mm_and_pd(mask, _mm_and_pd(_mm_cmpneq_pd(v, _mm_setzero_pd()), _mm_cmpord_pd(v, v)));
}
PLORVENT_INLINE bool all_ordinary(LaneMask mask) {
  return _mm_movemask_pd(mask) == 3;
}
PLORVENT_INLINE Lanes lanes_of(double v) {
  return _mm_set1_pd(v);
}
PLORVENT_INLINE Lanes lanes_add(Lanes a, Lanes b) {
  return _mm_add_pd(a, b);
}
PLORVENT_INLINE Lanes lanes_sub(Lanes a, Lanes b) {
  return _mm_sub_pd(a, b);
}
PLORVENT_INLINE Lanes lanes_mul(Lanes a, Lanes b) {
  return _mm_mul_pd(a, b);
}
PLORVENT_INLINE Lanes lanes_abs(Lanes a) {
  return _mm_andnot_pd(_mm_set1_pd(-0.0), a);
}
PLORVENT_INLINE LaneMask lanes_less(Lanes a, Lanes b) {
  return _mm_cmplt_pd(a, b);
}
PLORVENT_INLINE LaneMask lanes_at_most(Lanes a, Lanes b) {
  return _mm_cmple_pd(a, b);
}
PLORVENT_INLINE LaneMask lanes_equal(Lanes a, Lanes b) {
  return _mm_cmpeq_pd(a, b);
}
PLORVENT_INLINE LaneMask masks_and(LaneMask a, LaneMask b) {
  return _mm_and_pd(a, b);
}
PLORVENT_INLINE LaneMask masks_or(LaneMask a, LaneMask b) {
  return _mm_or_pd(a, b);
}
// SSE2 has no blend: the mask's lanes are all ones or all zeros.
PLORVENT_INLINE Lanes lanes_select(LaneMask mask, Lanes if_true, Lanes if_false) {
  return _mm_or_pd(_mm_and_pd(mask, if_true), _mm_andnot_pd(mask, if_false));
}
PLORVENT_INLINE void load_transposed(const double *const *rows, int64_t offset, Lanes *columns) {
  const __m128d a = _mm_loadu_pd(rows[0] + offset), b = _mm_loadu_pd(rows[1] + offset);
  columns[0] = _mm_unpacklo_pd(a, b);
  columns[1] = _mm_unpackhi_pd(a, b);
}
PLORVENT_INLINE void store_transposed(double *const *rows, int64_t offset, const Lanes *columns) {
  _mm_storeu_pd(rows[0] + offset, _mm_unpacklo_pd(columns[0], columns[1]));
  _mm_storeu_pd(rows[1] + offset, _mm_unpackhi_pd(columns[0], columns[1]));
}
PLORVENT_INLINE void store_lanes(double *p, Lanes v) {
  _mm_storeu_pd(p, v);
}
// x86's min gives its second operand wherever either is NaN: +Inf for a NaN, v for any other.
PLORVENT_INLINE Lanes lanes_nan_as_infinity(Lanes v) {
  return _mm_min_pd(v, _mm_set1_pd(std::numeric_limits<double>::infinity()));
}
typedef __m128 FloatLanes;
constexpr int kFloatLanes = 4;
PLORVENT_INLINE FloatLanes load_floats(const float *p) {
  return _mm_loadu_ps(p);
}
PLORVENT_INLINE void store_floats(float *p, FloatLanes v) {
  _mm_storeu_ps(p, v);
}
PLORVENT_INLINE FloatLanes floats_min(FloatLanes a, FloatLanes b) {
  return _mm_min_ps(a, b);
}
PLORVENT_INLINE FloatLanes floats_max(FloatLanes a, FloatLanes b) {
  return _mm_max_ps(a, b);
}
PLORVENT_INLINE FloatLanes floats_nan_as_infinity(FloatLanes v) {
  return _mm_min_ps(v, _mm_set1_ps(std::numeric_limits<float>::infinity()));
}
typedef __m128 FloatMask;
PLORVENT_INLINE FloatMask all_floats() {
  return _mm_castsi128_ps(_mm_set1_epi32(-1));
}
PLORVENT_INLINE FloatMask ordinary_floats(FloatMask mask, FloatLanes v) {
  return _mm_and_ps(mask, _mm_and_ps(_mm_cmpneq_ps(v, _mm_setzero_ps()), _mm_cmpord_ps(v, v)));
}
PLORVENT_INLINE bool all_ordinary_floats(FloatMask mask) {
  return _mm_movemask_ps(mask) == 15;
}
typedef __m128i ByteLanes;
constexpr int kByteLanes = 16;
PLORVENT_INLINE ByteLanes load_bytes(const uint8_t *p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}
PLORVENT_INLINE void store_bytes(uint8_t *p, ByteLanes v) {
  _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
}
PLORVENT_INLINE ByteLanes bytes_min(ByteLanes a, ByteLanes b) {
  return _mm_min_epu8(a, b);
}
PLORVENT_INLINE ByteLanes bytes_max(ByteLanes a, ByteLanes b) {
  return _mm_max_epu8(a, b);
}
PLORVENT_INLINE ByteLanes bytes_flip_sign(ByteLanes v) {
  return _mm_xor_si128(v, _mm_set1_epi8(static_cast<char>(0x80)));
}
typedef __m128i HalfLanes;
constexpr int kHalfLanes = 8;
PLORVENT_INLINE HalfLanes load_halves(const int16_t *p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}
PLORVENT_INLINE void store_halves(int16_t *p, HalfLanes v) {
  _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
}
PLORVENT_INLINE HalfLanes halves_min(HalfLanes a, HalfLanes b) {
  return _mm_min_epi16(a, b);
}
PLORVENT_INLINE HalfLanes halves_max(HalfLanes a, HalfLanes b) {
  return _mm_max_epi16(a, b);
}
PLORVENT_INLINE HalfLanes halves_flip_sign(HalfLanes v) {
  return _mm_xor_si128(v, _mm_set1_epi16(static_cast<short>(0x8000)));
}
}  // namespace sse2_lanes

// Four lanes. The unpacks work within each 128-bit half, so lanes 0 to 3 start at samples 0, 4,
// 2, 6 on every row alike; merge_rows's unpacks restore the window order.
namespace avx2_lanes {
typedef __m256d Lanes;
typedef __m256d LaneMask;
constexpr int kLanes = 4;
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_min(Lanes a, Lanes b) {
  return _mm256_min_pd(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_max(Lanes a, Lanes b) {
  return _mm256_max_pd(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes load_lanes(const double *p) {
  return _mm256_loadu_pd(p);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void split_rows(const double *y, Lanes &even, Lanes &odd) {
  const __m256d a = _mm256_loadu_pd(y), b = _mm256_loadu_pd(y + 4);
  even = _mm256_unpacklo_pd(a, b);
  odd = _mm256_unpackhi_pd(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void merge_rows(double *out, Lanes first, Lanes second) {
  _mm256_storeu_pd(out, _mm256_unpacklo_pd(first, second));
  _mm256_storeu_pd(out + 4, _mm256_unpackhi_pd(first, second));
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE LaneMask all_lanes() {
  return _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
}
// The ordered not-equal comparison is false for NaN as for zero.
PLORVENT_TARGET_AVX2 PLORVENT_INLINE LaneMask ordinary_lanes(LaneMask mask, Lanes v) {
  return _mm256_and_pd(mask, _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_NEQ_OQ));
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE bool all_ordinary(LaneMask mask) {
  return _mm256_movemask_pd(mask) == 15;
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_of(double v) {
  return _mm256_set1_pd(v);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_add(Lanes a, Lanes b) {
  return _mm256_add_pd(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_sub(Lanes a, Lanes b) {
  return _mm256_sub_pd(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_mul(Lanes a, Lanes b) {
  return _mm256_mul_pd(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_abs(Lanes a) {
  return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE LaneMask lanes_less(Lanes a, Lanes b) {
  return _mm256_cmp_pd(a, b, _CMP_LT_OQ);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE LaneMask lanes_at_most(Lanes a, Lanes b) {
  return _mm256_cmp_pd(a, b, _CMP_LE_OQ);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE LaneMask lanes_equal(Lanes a, Lanes b) {
  return _mm256_cmp_pd(a, b, _CMP_EQ_OQ);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE LaneMask masks_and(LaneMask a, LaneMask b) {
  return _mm256_and_pd(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE LaneMask masks_or(LaneMask a, LaneMask b) {
  return _mm256_or_pd(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_select(LaneMask mask, Lanes if_true,
                                                        Lanes if_false) {
  return _mm256_blendv_pd(if_false, if_true, mask);
}
// A 4-by-4 transpose: the unpacks pair rows 0 and 1 (and 2 and 3) within each 128-bit half, the
// permutes join the halves.
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void transpose_4x4(const Lanes *in, Lanes *out) {
  const __m256d low01 = _mm256_unpacklo_pd(in[0], in[1]), high01 = _mm256_unpackhi_pd(in[0], in[1]);
  const __m256d low23 = _mm256_unpacklo_pd(in[2], in[3]), high23 = _mm256_unpackhi_pd(in[2], in[3]);
  out[0] = _mm256_permute2f128_pd(low01, low23, 0x20);
  out[1] = _mm256_permute2f128_pd(high01, high23, 0x20);
  out[2] = _mm256_permute2f128_pd(low01, low23, 0x31);
  out[3] = _mm256_permute2f128_pd(high01, high23, 0x31);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void load_transposed(const double *const *rows, int64_t offset,
                                                          Lanes *columns) {
  Lanes in[4];
  for (int l = 0; l < 4; ++l) in[l] = _mm256_loadu_pd(rows[l] + offset);
  transpose_4x4(in, columns);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void store_transposed(double *const *rows, int64_t offset,
                                                           const Lanes *columns) {
  Lanes out[4];
  transpose_4x4(columns, out);
  for (int l = 0; l < 4; ++l) _mm256_storeu_pd(rows[l] + offset, out[l]);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void store_lanes(double *p, Lanes v) {
  _mm256_storeu_pd(p, v);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE Lanes lanes_nan_as_infinity(Lanes v) {
  return _mm256_min_pd(v, _mm256_set1_pd(std::numeric_limits<double>::infinity()));
}
typedef __m256 FloatLanes;
constexpr int kFloatLanes = 8;
PLORVENT_TARGET_AVX2 PLORVENT_INLINE FloatLanes load_floats(const float *p) {
  return _mm256_loadu_ps(p);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void store_floats(float *p, FloatLanes v) {
  _mm256_storeu_ps(p, v);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE FloatLanes floats_min(FloatLanes a, FloatLanes b) {
  return _mm256_min_ps(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE FloatLanes floats_max(FloatLanes a, FloatLanes b) {
  return _mm256_max_ps(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE FloatLanes floats_nan_as_infinity(FloatLanes v) {
  return _mm256_min_ps(v, _mm256_set1_ps(std::numeric_limits<float>::infinity()));
}
typedef __m256 FloatMask;
PLORVENT_TARGET_AVX2 PLORVENT_INLINE FloatMask all_floats() {
  return _mm256_castsi256_ps(_mm256_set1_epi32(-1));
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE FloatMask ordinary_floats(FloatMask mask, FloatLanes v) {
  return _mm256_and_ps(mask, _mm256_cmp_ps(v, _mm256_setzero_ps(), _CMP_NEQ_OQ));
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE bool all_ordinary_floats(FloatMask mask) {
  return _mm256_movemask_ps(mask) == 255;
}
typedef __m256i ByteLanes;
constexpr int kByteLanes = 32;
PLORVENT_TARGET_AVX2 PLORVENT_INLINE ByteLanes load_bytes(const uint8_t *p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void store_bytes(uint8_t *p, ByteLanes v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), v);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE ByteLanes bytes_min(ByteLanes a, ByteLanes b) {
  return _mm256_min_epu8(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE ByteLanes bytes_max(ByteLanes a, ByteLanes b) {
  return _mm256_max_epu8(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE ByteLanes bytes_flip_sign(ByteLanes v) {
  return _mm256_xor_si256(v, _mm256_set1_epi8(static_cast<char>(0x80)));
}
typedef __m256i HalfLanes;
constexpr int kHalfLanes = 16;
PLORVENT_TARGET_AVX2 PLORVENT_INLINE HalfLanes load_halves(const int16_t *p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE void store_halves(int16_t *p, HalfLanes v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), v);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE HalfLanes halves_min(HalfLanes a, HalfLanes b) {
  return _mm256_min_epi16(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE HalfLanes halves_max(HalfLanes a, HalfLanes b) {
  return _mm256_max_epi16(a, b);
}
PLORVENT_TARGET_AVX2 PLORVENT_INLINE HalfLanes halves_flip_sign(HalfLanes v) {
  return _mm256_xor_si256(v, _mm256_set1_epi16(static_cast<short>(0x8000)));
}
}  // namespace avx2_lanes

// Eight lanes, in the mask registers' bits. As with AVX2 the unpacks work within 128-bit
// quarters: lanes 0 to 7 start at samples 0, 8, 2, 10, 4, 12, 6, 14.
namespace avx512_lanes {
typedef __m512d Lanes;
typedef __mmask8 LaneMask;
constexpr int kLanes = 8;
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_min(Lanes a, Lanes b) {
  return _mm512_min_pd(a, b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_max(Lanes a, Lanes b) {
  return _mm512_max_pd(a, b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes load_lanes(const double *p) {
  return _mm512_loadu_pd(p);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE void split_rows(const double *y, Lanes &even, Lanes &odd) {
  const __m512d a = _mm512_loadu_pd(y), b = _mm512_loadu_pd(y + 8);
  even = _mm512_unpacklo_pd(a, b);
  odd = _mm512_unpackhi_pd(a, b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE void merge_rows(double *out, Lanes first, Lanes second) {
  _mm512_storeu_pd(out, _mm512_unpacklo_pd(first, second));
  _mm512_storeu_pd(out + 8, _mm512_unpackhi_pd(first, second));
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE LaneMask all_lanes() {
  return 0xFF;
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE LaneMask ordinary_lanes(LaneMask mask, Lanes v) {
  // The comparison unmasked and its lanes ANDed after: a chain of masked comparisons would wait
  // on each comparison's latency.
  return static_cast<LaneMask>(mask & _mm512_cmp_pd_mask(v, _mm512_setzero_pd(), _CMP_NEQ_OQ));
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE bool all_ordinary(LaneMask mask) {
  return mask == 0xFF;
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_of(double v) {
  return _mm512_set1_pd(v);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_add(Lanes a, Lanes b) {
  return _mm512_add_pd(a, b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_sub(Lanes a, Lanes b) {
  return _mm512_sub_pd(a, b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_mul(Lanes a, Lanes b) {
  return _mm512_mul_pd(a, b);
}
// AVX-512F's own (its floating-point AND-NOT is AVX-512DQ's).
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_abs(Lanes a) {
  return _mm512_abs_pd(a);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE LaneMask lanes_less(Lanes a, Lanes b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE LaneMask lanes_at_most(Lanes a, Lanes b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE LaneMask lanes_equal(Lanes a, Lanes b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE LaneMask masks_and(LaneMask a, LaneMask b) {
  return static_cast<LaneMask>(a & b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE LaneMask masks_or(LaneMask a, LaneMask b) {
  return static_cast<LaneMask>(a | b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_select(LaneMask mask, Lanes if_true,
                                                          Lanes if_false) {
  return _mm512_mask_blend_pd(mask, if_false, if_true);
}
// An 8-by-8 transpose in three rounds: the unpacks pair neighbouring rows within each 128-bit
// quarter, then two rounds of quarter shuffles (0x88 takes quarters 0 and 2 of each operand,
// 0xDD quarters 1 and 3) gather each column's quarters in row order.
PLORVENT_TARGET_AVX512 PLORVENT_INLINE void transpose_8x8(const Lanes *in, Lanes *out) {
  Lanes pairs[8], quads[8];
  for (int r = 0; r < 8; r += 2) {
    pairs[r] = _mm512_unpacklo_pd(in[r], in[r + 1]);      // columns 0, 2, 4, 6 of rows r, r+1
    pairs[r + 1] = _mm512_unpackhi_pd(in[r], in[r + 1]);  // columns 1, 3, 5, 7
  }
  for (int h = 0; h < 8; h += 4) {                                          // rows h ... h+3
    quads[h] = _mm512_shuffle_f64x2(pairs[h], pairs[h + 2], 0x88);          // columns 0 and 4
    quads[h + 1] = _mm512_shuffle_f64x2(pairs[h], pairs[h + 2], 0xDD);      // columns 2 and 6
    quads[h + 2] = _mm512_shuffle_f64x2(pairs[h + 1], pairs[h + 3], 0x88);  // columns 1 and 5
    quads[h + 3] = _mm512_shuffle_f64x2(pairs[h + 1], pairs[h + 3], 0xDD);  // columns 3 and 7
  }
  out[0] = _mm512_shuffle_f64x2(quads[0], quads[4], 0x88);
  out[4] = _mm512_shuffle_f64x2(quads[0], quads[4], 0xDD);
  out[2] = _mm512_shuffle_f64x2(quads[1], quads[5], 0x88);
  out[6] = _mm512_shuffle_f64x2(quads[1], quads[5], 0xDD);
  out[1] = _mm512_shuffle_f64x2(quads[2], quads[6], 0x88);
  out[5] = _mm512_shuffle_f64x2(quads[2], quads[6], 0xDD);
  out[3] = _mm512_shuffle_f64x2(quads[3], quads[7], 0x88);
  out[7] = _mm512_shuffle_f64x2(quads[3], quads[7], 0xDD);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE void load_transposed(const double *const *rows,
                                                            int64_t offset, Lanes *columns) {
  Lanes in[8];
  for (int l = 0; l < 8; ++l) in[l] = _mm512_loadu_pd(rows[l] + offset);
  transpose_8x8(in, columns);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE void store_transposed(double *const *rows, int64_t offset,
                                                             const Lanes *columns) {
  Lanes out[8];
  transpose_8x8(columns, out);
  for (int l = 0; l < 8; ++l) _mm512_storeu_pd(rows[l] + offset, out[l]);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE void store_lanes(double *p, Lanes v) {
  _mm512_storeu_pd(p, v);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE Lanes lanes_nan_as_infinity(Lanes v) {
  return _mm512_min_pd(v, _mm512_set1_pd(std::numeric_limits<double>::infinity()));
}
typedef __m512 FloatLanes;
constexpr int kFloatLanes = 16;
PLORVENT_TARGET_AVX512 PLORVENT_INLINE FloatLanes load_floats(const float *p) {
  return _mm512_loadu_ps(p);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE void store_floats(float *p, FloatLanes v) {
  _mm512_storeu_ps(p, v);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE FloatLanes floats_min(FloatLanes a, FloatLanes b) {
  return _mm512_min_ps(a, b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE FloatLanes floats_max(FloatLanes a, FloatLanes b) {
  return _mm512_max_ps(a, b);
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE FloatLanes floats_nan_as_infinity(FloatLanes v) {
  return _mm512_min_ps(v, _mm512_set1_ps(std::numeric_limits<float>::infinity()));
}
typedef __mmask16 FloatMask;
PLORVENT_TARGET_AVX512 PLORVENT_INLINE FloatMask all_floats() {
  return 0xFFFF;
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE FloatMask ordinary_floats(FloatMask mask, FloatLanes v) {
  return static_cast<FloatMask>(mask & _mm512_cmp_ps_mask(v, _mm512_setzero_ps(), _CMP_NEQ_OQ));
}
PLORVENT_TARGET_AVX512 PLORVENT_INLINE bool all_ordinary_floats(FloatMask mask) {
  return mask == 0xFFFF;
}
// Bytes and 16-bit integers in AVX2's 256-bit vectors: their 512-bit minimum and maximum are
// AVX-512BW's, beyond the AVX-512F these kernels ask for (which includes AVX2).
typedef avx2_lanes::ByteLanes ByteLanes;
constexpr int kByteLanes = avx2_lanes::kByteLanes;
using avx2_lanes::bytes_flip_sign;
using avx2_lanes::bytes_max;
using avx2_lanes::bytes_min;
using avx2_lanes::load_bytes;
using avx2_lanes::store_bytes;
typedef avx2_lanes::HalfLanes HalfLanes;
constexpr int kHalfLanes = avx2_lanes::kHalfLanes;
using avx2_lanes::halves_flip_sign;
using avx2_lanes::halves_max;
using avx2_lanes::halves_min;
using avx2_lanes::load_halves;
using avx2_lanes::store_halves;
}  // namespace avx512_lanes
#endif

#ifdef PLORVENT_NEON_LANES
// Two lanes. The de-interleaving load and the interleaving store split and merge the rows:
// lane l starts at sample 2l.
namespace neon_lanes {
typedef float64x2_t Lanes;
typedef uint64x2_t LaneMask;
constexpr int kLanes = 2;
PLORVENT_INLINE Lanes lanes_min(Lanes a, Lanes b) {
  return vminq_f64(a, b);
}
PLORVENT_INLINE Lanes lanes_max(Lanes a, Lanes b) {
  return vmaxq_f64(a, b);
}
PLORVENT_INLINE Lanes load_lanes(const double *p) {
  return vld1q_f64(p);
}
PLORVENT_INLINE void split_rows(const double *y, Lanes &even, Lanes &odd) {
  const float64x2x2_t rows = vld2q_f64(y);
  even = rows.val[0];
  odd = rows.val[1];
}
PLORVENT_INLINE void merge_rows(double *out, Lanes first, Lanes second) {
  const float64x2x2_t medians = {{first, second}};
  vst2q_f64(out, medians);
}
PLORVENT_INLINE LaneMask all_lanes() {
  return vdupq_n_u64(~uint64_t{0});
}
// Ordered (equal to itself) and not equal to zero.
PLORVENT_INLINE LaneMask ordinary_lanes(LaneMask mask, Lanes v) {
  return vandq_u64(mask, vbicq_u64(vceqq_f64(v, v), vceqzq_f64(v)));
}
PLORVENT_INLINE bool all_ordinary(LaneMask mask) {
  return (vgetq_lane_u64(mask, 0) & vgetq_lane_u64(mask, 1)) == ~uint64_t{0};
}
PLORVENT_INLINE Lanes lanes_of(double v) {
  return vdupq_n_f64(v);
}
PLORVENT_INLINE Lanes lanes_add(Lanes a, Lanes b) {
  return vaddq_f64(a, b);
}
PLORVENT_INLINE Lanes lanes_sub(Lanes a, Lanes b) {
  return vsubq_f64(a, b);
}
PLORVENT_INLINE Lanes lanes_mul(Lanes a, Lanes b) {
  return vmulq_f64(a, b);
}
PLORVENT_INLINE Lanes lanes_abs(Lanes a) {
  return vabsq_f64(a);
}
PLORVENT_INLINE LaneMask lanes_less(Lanes a, Lanes b) {
  return vcltq_f64(a, b);
}
PLORVENT_INLINE LaneMask lanes_at_most(Lanes a, Lanes b) {
  return vcleq_f64(a, b);
}
PLORVENT_INLINE LaneMask lanes_equal(Lanes a, Lanes b) {
  return vceqq_f64(a, b);
}
PLORVENT_INLINE LaneMask masks_and(LaneMask a, LaneMask b) {
  return vandq_u64(a, b);
}
PLORVENT_INLINE LaneMask masks_or(LaneMask a, LaneMask b) {
  return vorrq_u64(a, b);
}
PLORVENT_INLINE Lanes lanes_select(LaneMask mask, Lanes if_true, Lanes if_false) {
  return vbslq_f64(mask, if_true, if_false);
}
PLORVENT_INLINE void load_transposed(const double *const *rows, int64_t offset, Lanes *columns) {
  const float64x2_t a = vld1q_f64(rows[0] + offset), b = vld1q_f64(rows[1] + offset);
  columns[0] = vtrn1q_f64(a, b);
  columns[1] = vtrn2q_f64(a, b);
}
PLORVENT_INLINE void store_transposed(double *const *rows, int64_t offset, const Lanes *columns) {
  vst1q_f64(rows[0] + offset, vtrn1q_f64(columns[0], columns[1]));
  vst1q_f64(rows[1] + offset, vtrn2q_f64(columns[0], columns[1]));
}
PLORVENT_INLINE void store_lanes(double *p, Lanes v) {
  vst1q_f64(p, v);
}
PLORVENT_INLINE Lanes lanes_nan_as_infinity(Lanes v) {
  return vbslq_f64(vceqq_f64(v, v), v, vdupq_n_f64(std::numeric_limits<double>::infinity()));
}
typedef float32x4_t FloatLanes;
constexpr int kFloatLanes = 4;
PLORVENT_INLINE FloatLanes load_floats(const float *p) {
  return vld1q_f32(p);
}
PLORVENT_INLINE void store_floats(float *p, FloatLanes v) {
  vst1q_f32(p, v);
}
PLORVENT_INLINE FloatLanes floats_min(FloatLanes a, FloatLanes b) {
  return vminq_f32(a, b);
}
PLORVENT_INLINE FloatLanes floats_max(FloatLanes a, FloatLanes b) {
  return vmaxq_f32(a, b);
}
PLORVENT_INLINE FloatLanes floats_nan_as_infinity(FloatLanes v) {
  return vbslq_f32(vceqq_f32(v, v), v, vdupq_n_f32(std::numeric_limits<float>::infinity()));
}
typedef uint32x4_t FloatMask;
PLORVENT_INLINE FloatMask all_floats() {
  return vdupq_n_u32(~uint32_t{0});
}
PLORVENT_INLINE FloatMask ordinary_floats(FloatMask mask, FloatLanes v) {
  return vandq_u32(mask, vbicq_u32(vceqq_f32(v, v), vceqzq_f32(v)));
}
PLORVENT_INLINE bool all_ordinary_floats(FloatMask mask) {
  return vminvq_u32(mask) == ~uint32_t{0};
}
typedef uint8x16_t ByteLanes;
constexpr int kByteLanes = 16;
PLORVENT_INLINE ByteLanes load_bytes(const uint8_t *p) {
  return vld1q_u8(p);
}
PLORVENT_INLINE void store_bytes(uint8_t *p, ByteLanes v) {
  vst1q_u8(p, v);
}
PLORVENT_INLINE ByteLanes bytes_min(ByteLanes a, ByteLanes b) {
  return vminq_u8(a, b);
}
PLORVENT_INLINE ByteLanes bytes_max(ByteLanes a, ByteLanes b) {
  return vmaxq_u8(a, b);
}
PLORVENT_INLINE ByteLanes bytes_flip_sign(ByteLanes v) {
  return veorq_u8(v, vdupq_n_u8(0x80));
}
typedef int16x8_t HalfLanes;
constexpr int kHalfLanes = 8;
PLORVENT_INLINE HalfLanes load_halves(const int16_t *p) {
  return vld1q_s16(p);
}
PLORVENT_INLINE void store_halves(int16_t *p, HalfLanes v) {
  vst1q_s16(p, v);
}
PLORVENT_INLINE HalfLanes halves_min(HalfLanes a, HalfLanes b) {
  return vminq_s16(a, b);
}
PLORVENT_INLINE HalfLanes halves_max(HalfLanes a, HalfLanes b) {
  return vmaxq_s16(a, b);
}
PLORVENT_INLINE HalfLanes halves_flip_sign(HalfLanes v) {
  return vreinterpretq_s16_u16(veorq_u16(vreinterpretq_u16_s16(v), vdupq_n_u16(0x8000)));
}
}  // namespace neon_lanes
#endif

#endif
