// Short-window engine: a selection network, expanded at compile time for each window length,
// run on neighbouring windows two at a time and on several pairs at once, one pair per SIMD
// lane. Branch-free, with the samples kept in registers, so it runs near memory speed.
//
// Windows i and i+1 share W-1 samples; one network finds ranks k-1 and k of those, and each
// window's median is its own extra sample clamped between the two. Lane l of a vector handles
// windows 2l and 2l+1 of a group, so row r of the lanes holds samples r, r+2, r+4, ... of the
// group's samples: even and odd rows come from two overlapping loads split apart.
//
// The min/max instructions pick a fixed operand for NaN and for -0.0 against +0.0; that can
// change the result only for windows holding a NaN or zeros of both signs around a zero median,
// and the exactness pass recomputes exactly those.
#include "core/engines/network_medians.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/engines/block_sort_medians.h"
#include "core/engines/selection_network.h"
#include "core/support/storage_layout.h"
#include "core/support/vector_width.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PLORVENT_X86_KERNELS 1
#include <immintrin.h>
#endif

// The kernels' loops are unrolled whole, so that every index is a constant and the rows stay in
// registers. Not under the sanitizers: instrumented, the unrolled code takes minutes to compile,
// and the same operations run as loops.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define PLORVENT_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(PLORVENT_SANITIZED)
#define PLORVENT_UNROLL_ALL
#else
#define PLORVENT_UNROLL_ALL _Pragma("GCC unroll 1024")
#endif

namespace {

// The longest window each kernel serves: beyond it the block engine is faster (measured).
constexpr int32_t kLongestSse2Network = 49;
static_assert(kLongestSse2Network <= kLongestNetworkWindow, "the AVX2 kernel serves the longest");

// The most outputs one kernel call writes.
constexpr int32_t kWidestGroup = 8;

#ifdef PLORVENT_X86_KERNELS
// Lane l of a vector handles windows 2l and 2l+1 of a group of 2*kLanes, so row r holds samples
// r, r+2, r+4, ... of the group: even and odd rows come from two overlapping loads split apart.
namespace sse2 {
#define PLORVENT_KERNEL_TARGET
typedef double Lanes __attribute__((vector_size(16)));
constexpr int kLanes = 2;
#define PLORVENT_LANES_MIN(a, b) __builtin_ia32_minpd(a, b)
#define PLORVENT_LANES_MAX(a, b) __builtin_ia32_maxpd(a, b)
inline void split_rows(const double *y, Lanes &even, Lanes &odd) {
  const __m128d a = _mm_loadu_pd(y), b = _mm_loadu_pd(y + 2);
  even = _mm_unpacklo_pd(a, b);
  odd = _mm_unpackhi_pd(a, b);
}
inline void merge_rows(double *out, Lanes first, Lanes second) {
  _mm_storeu_pd(out, _mm_unpacklo_pd(first, second));
  _mm_storeu_pd(out + 2, _mm_unpackhi_pd(first, second));
}
inline Lanes all_lanes() {
  return _mm_castsi128_pd(_mm_set1_epi32(-1));
}
inline Lanes ordinary_lanes(Lanes mask, Lanes v) {
  return _mm_and_pd(mask, _mm_and_pd(_mm_cmpneq_pd(v, _mm_setzero_pd()), _mm_cmpord_pd(v, v)));
}
inline bool all_ordinary(Lanes mask) {
  return _mm_movemask_pd(mask) == 3;
}
#include "core/engines/paired_network_kernel.h"
#undef PLORVENT_KERNEL_TARGET
#undef PLORVENT_LANES_MIN
#undef PLORVENT_LANES_MAX
}  // namespace sse2

// The in-lane unpacks leave the lanes in the order 0, 2, 1, 3 on every row alike; merge_rows
// restores it.
namespace avx2 {
#define PLORVENT_KERNEL_TARGET __attribute__((target("avx2")))
typedef double Lanes __attribute__((vector_size(32)));
constexpr int kLanes = 4;
#define PLORVENT_LANES_MIN(a, b) __builtin_ia32_minpd256(a, b)
#define PLORVENT_LANES_MAX(a, b) __builtin_ia32_maxpd256(a, b)
PLORVENT_KERNEL_TARGET inline void split_rows(const double *y, Lanes &even, Lanes &odd) {
  const __m256d a = _mm256_loadu_pd(y), b = _mm256_loadu_pd(y + 4);
  even = _mm256_unpacklo_pd(a, b);
  odd = _mm256_unpackhi_pd(a, b);
}
PLORVENT_KERNEL_TARGET inline void merge_rows(double *out, Lanes first, Lanes second) {
  _mm256_storeu_pd(out, _mm256_unpacklo_pd(first, second));
  _mm256_storeu_pd(out + 4, _mm256_unpackhi_pd(first, second));
}
PLORVENT_KERNEL_TARGET inline Lanes all_lanes() {
  return _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
}
PLORVENT_KERNEL_TARGET inline Lanes ordinary_lanes(Lanes mask, Lanes v) {
  return _mm256_and_pd(mask, _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_NEQ_OQ));
}
PLORVENT_KERNEL_TARGET inline bool all_ordinary(Lanes mask) {
  return _mm256_movemask_pd(mask) == 15;
}
#include "core/engines/paired_network_kernel.h"
#undef PLORVENT_KERNEL_TARGET
#undef PLORVENT_LANES_MIN
#undef PLORVENT_LANES_MAX
}  // namespace avx2
#endif

// Other processors and compilers: one pair of windows at a time in plain doubles. The longest
// window is a guess from the SSE2 kernel's crossover (no such processor was at hand to measure);
// on x86-64 this kernel runs only when a test limits the vectors to none.
constexpr int32_t kLongestScalarNetwork = 25;

namespace scalar {
#define PLORVENT_KERNEL_TARGET
typedef double Lanes;
constexpr int kLanes = 1;
#define PLORVENT_LANES_MIN(a, b) ((b) < (a) ? (b) : (a))
#define PLORVENT_LANES_MAX(a, b) ((a) < (b) ? (b) : (a))
inline void split_rows(const double *y, Lanes &even, Lanes &odd) {
  even = y[0];
  odd = y[1];
}
inline void merge_rows(double *out, Lanes first, Lanes second) {
  out[0] = first;
  out[1] = second;
}
inline Lanes all_lanes() {
  return 1;
}
inline Lanes ordinary_lanes(Lanes mask, Lanes v) {
  return v != 0 && v == v ? mask : 0;
}
inline bool all_ordinary(Lanes mask) {
  return mask != 0;
}
#include "core/engines/paired_network_kernel.h"
#undef PLORVENT_KERNEL_TARGET
#undef PLORVENT_LANES_MIN
#undef PLORVENT_LANES_MAX
}  // namespace scalar

typedef int64_t (*PairKernel)(const double *y, double *out, int64_t outputs, bool &ordinary);

// Every output of a contiguous run of windows. The last few, fewer than one group, run on a
// copy padded with repeats of the last sample, and only their own outputs are kept. Clears
// `ordinary` if a sample read is a NaN or a zero.
void run_network_everywhere(PairKernel kernel, int32_t W, const double *y, double *out,
                            int64_t outputs, bool &ordinary) {
  for (int32_t j = 0; j + 1 < W; ++j) ordinary = ordinary && y[j] != 0 && y[j] == y[j];
  const int64_t done = kernel(y, out, outputs, ordinary);
  const int64_t left = outputs - done;
  if (left == 0) return;
  double samples[kWidestGroup + kLongestNetworkWindow], medians[kWidestGroup];
  const int64_t have = left + W - 1;
  for (int64_t j = 0; j < kWidestGroup + W - 1; ++j) samples[j] = y[done + std::min(j, have - 1)];
  kernel(samples, medians, kWidestGroup, ordinary);
  std::memcpy(out + done, medians, static_cast<size_t>(left) * sizeof(double));
}

// Outputs first ... last-1 (into out[0 ...]), whose windows reach past the signal's ends: their
// samples are copied into `staging` so that the kernel sees one contiguous run.
void run_network_staged(PairKernel kernel, int32_t W, const ExtendedSignal &e, int64_t first,
                        int64_t last, double *staging, double *out, bool &ordinary) {
  if (first >= last) return;
  const int64_t samples = last - first + W - 1;
  for (int64_t j = 0; j < samples; ++j) staging[j] = extended_at(e, first - e.W2 + j);
  run_network_everywhere(kernel, W, staging, out, last - first, ordinary);
}

// The kernels of every odd W from 3 to Longest: entry (W-3)/2.
template <size_t... I>
const PairKernel *scalar_kernels(std::index_sequence<I...>) {
  static const PairKernel kernels[] = {scalar::run_pairs<static_cast<int32_t>(2 * I + 3)>...};
  return kernels;
}

#ifdef PLORVENT_X86_KERNELS
template <size_t... I>
const PairKernel *sse2_kernels(std::index_sequence<I...>) {
  static const PairKernel kernels[] = {sse2::run_pairs<static_cast<int32_t>(2 * I + 3)>...};
  return kernels;
}

template <size_t... I>
const PairKernel *avx2_kernels(std::index_sequence<I...>) {
  static const PairKernel kernels[] = {avx2::run_pairs<static_cast<int32_t>(2 * I + 3)>...};
  return kernels;
}
#endif

template <int32_t Longest>
std::make_index_sequence<(Longest - 1) / 2> kernels_up_to() {
  return {};
}

PairKernel pair_kernel(int32_t W) {
  const size_t entry = static_cast<size_t>(W - 3) / 2;
#ifdef PLORVENT_X86_KERNELS
  const VectorWidth width = usable_vector_width();
  if (width >= kAvx2) return avx2_kernels(kernels_up_to<kLongestNetworkWindow>())[entry];
  if (width >= kSse2) return sse2_kernels(kernels_up_to<kLongestSse2Network>())[entry];
#endif
  return scalar_kernels(kernels_up_to<kLongestScalarNetwork>())[entry];
}

}  // namespace

int32_t longest_network_window() {
#ifdef PLORVENT_X86_KERNELS
  const VectorWidth width = usable_vector_width();
  if (width >= kAvx2) return kLongestNetworkWindow;
  if (width >= kSse2) return kLongestSse2Network;
#endif
  return kLongestScalarNetwork;
}

// Staging holds the samples of at most W2 outputs' windows: W2 + W - 1 < 2W. Never less than the
// block engine needs for the same W, so that storage sized while one engine serves W also serves
// the other (which one does depends on the vectors in use).
size_t network_storage_bytes(int32_t W) {
  return std::max(round_up_storage(2 * static_cast<size_t>(W) * sizeof(double)),
                  block_sort_storage_bytes(W));
}

bool network_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last, double *out,
                     void *storage) {
  const PairKernel kernel = pair_kernel(W);
  bool ordinary = true;
  double *staging = static_cast<double *>(storage);
  // Windows wholly inside x read it in place; those reaching past its ends are staged.
  const int64_t inner_begin = std::min(std::max(first, e.W2), last);
  const int64_t inner_end = std::min(std::max(inner_begin, e.n - e.W2), last);
  run_network_staged(kernel, W, e, first, inner_begin, staging, out, ordinary);
  if (inner_end > inner_begin) {
    run_network_everywhere(kernel, W, e.x + inner_begin - e.W2, out + inner_begin - first,
                           inner_end - inner_begin, ordinary);
  }
  run_network_staged(kernel, W, e, inner_end, last, staging, out + inner_end - first, ordinary);
  return ordinary;
}
