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
#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64)
#define PLORVENT_HAVE_SSE2 1
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PLORVENT_HAVE_AVX2 1
#include <immintrin.h>
#endif

#if defined(__GNUC__)
#define PLORVENT_KERNEL_INLINE __attribute__((always_inline)) inline
#define PLORVENT_AVX2 __attribute__((target("avx2"), always_inline)) inline
#else
#define PLORVENT_KERNEL_INLINE inline
#endif

#include "selection_network.h"
#include "sliding_engines.h"
#include "vector_width.h"

namespace {

// One window at a time, in plain doubles: the tail of a run, and the kernel of other processors.
struct ScalarLanes {
  typedef double V;
  static constexpr int kWidth = 1;
  static PLORVENT_KERNEL_INLINE V min(V a, V b) { return b < a ? b : a; }
  static PLORVENT_KERNEL_INLINE V max(V a, V b) { return a < b ? b : a; }
  // Rows 2p and 2p+1 of the lanes from samples y[2p ...].
  static PLORVENT_KERNEL_INLINE void split(const double *y, V &even, V &odd) {
    even = y[0];
    odd = y[1];
  }
  static PLORVENT_KERNEL_INLINE void merge(double *out, V first, V second) {
    out[0] = first;
    out[1] = second;
  }
};

#ifdef PLORVENT_HAVE_SSE2
struct Sse2Lanes {
  typedef __m128d V;
  static constexpr int kWidth = 2;
  static PLORVENT_KERNEL_INLINE V min(V a, V b) { return _mm_min_pd(a, b); }
  static PLORVENT_KERNEL_INLINE V max(V a, V b) { return _mm_max_pd(a, b); }
  static PLORVENT_KERNEL_INLINE void split(const double *y, V &even, V &odd) {
    const V a = _mm_loadu_pd(y), b = _mm_loadu_pd(y + 2);
    even = _mm_unpacklo_pd(a, b);
    odd = _mm_unpackhi_pd(a, b);
  }
  static PLORVENT_KERNEL_INLINE void merge(double *out, V first, V second) {
    _mm_storeu_pd(out, _mm_unpacklo_pd(first, second));
    _mm_storeu_pd(out + 2, _mm_unpackhi_pd(first, second));
  }
};
#endif

#ifdef PLORVENT_HAVE_AVX2
// The in-lane unpacks leave lanes in the order 0, 2, 1, 3 on every row alike; merge restores it.
// Loads and stores are unaligned: the stack of 64-bit Windows is aligned to 16 bytes only.
struct Avx2Lanes {
  typedef __m256d V;
  static constexpr int kWidth = 4;
  static PLORVENT_AVX2 V min(V a, V b) { return _mm256_min_pd(a, b); }
  static PLORVENT_AVX2 V max(V a, V b) { return _mm256_max_pd(a, b); }
  static PLORVENT_AVX2 void split(const double *y, V &even, V &odd) {
    const V a = _mm256_loadu_pd(y), b = _mm256_loadu_pd(y + 4);
    even = _mm256_unpacklo_pd(a, b);
    odd = _mm256_unpackhi_pd(a, b);
  }
  static PLORVENT_AVX2 void merge(double *out, V first, V second) {
    _mm256_storeu_pd(out, _mm256_unpacklo_pd(first, second));
    _mm256_storeu_pd(out + 4, _mm256_unpackhi_pd(first, second));
  }
};
#endif

#define PLORVENT_KERNEL_TARGET
namespace plain {
#include "paired_network_kernel.h"
}  // namespace plain
#undef PLORVENT_KERNEL_TARGET

#ifdef PLORVENT_HAVE_AVX2
#define PLORVENT_KERNEL_TARGET __attribute__((target("avx2")))
namespace avx2 {
#include "paired_network_kernel.h"
}  // namespace avx2
#undef PLORVENT_KERNEL_TARGET
#endif

// The median of the one window at y[0 ... W-1]: the pair network with the window's last sample
// as the shared samples' partner.
template <int32_t W>
double single_median(const double *y) {
  constexpr int32_t k = (W - 1) / 2;
  double row[W];
  std::memcpy(row, y, sizeof row);
  plain::apply_network<ScalarLanes, W>(row + 1,
                                std::make_index_sequence<SharedPairNetwork<W>::network.count>());
  return ScalarLanes::max(row[k], ScalarLanes::min(row[0], row[k + 1]));
}

// Every output of a contiguous run of windows: the widest kernel allowed, then narrower ones
// for what is left.
template <int32_t W>
void run_network_everywhere(VectorWidth width, const double *y, double *out, int64_t outputs) {
  int64_t done = 0;
#ifdef PLORVENT_HAVE_AVX2
  if (width >= kAvx2) done = avx2::run_pairs<Avx2Lanes, W>(y, out, outputs);
#endif
#ifdef PLORVENT_HAVE_SSE2
  if (width >= kSse2) done += plain::run_pairs<Sse2Lanes, W>(y + done, out + done, outputs - done);
#endif
  done += plain::run_pairs<ScalarLanes, W>(y + done, out + done, outputs - done);
  if (done < outputs) out[done] = single_median<W>(y + done);
}

// Outputs first ... last-1 (into out[0 ...]), whose windows reach past the signal's ends: their
// samples are copied into `staging` so that the kernels see one contiguous run.
template <int32_t W>
void run_network_staged(VectorWidth width, const ExtendedSignal &e, int64_t first, int64_t last,
                        double *staging, double *out) {
  if (first >= last) return;
  const int64_t samples = last - first + W - 1;
  for (int64_t j = 0; j < samples; ++j) staging[j] = extended_at(e, first - e.W2 + j);
  run_network_everywhere<W>(width, staging, out, last - first);
}

template <int32_t W>
void network_medians_for(const ExtendedSignal &e, int64_t first, int64_t last, double *out,
                         void *storage) {
  const VectorWidth width = usable_vector_width();
  double *staging = static_cast<double *>(storage);
  // Windows wholly inside x read it in place; those reaching past its ends are staged.
  const int64_t inner_begin = std::min(std::max(first, e.W2), last);
  const int64_t inner_end = std::min(std::max(inner_begin, e.n - e.W2), last);
  run_network_staged<W>(width, e, first, inner_begin, staging, out);
  if (inner_end > inner_begin) {
    run_network_everywhere<W>(width, e.x + inner_begin - e.W2, out + inner_begin - first,
                              inner_end - inner_begin);
  }
  run_network_staged<W>(width, e, inner_end, last, staging, out + inner_end - first);
}

typedef void (*NetworkEngine)(const ExtendedSignal &, int64_t, int64_t, double *, void *);

// The engine of every odd W from 3 to kLongestNetworkWindow: entry (W-3)/2.
template <size_t... I>
const NetworkEngine *network_engines(std::index_sequence<I...>) {
  static const NetworkEngine engines[] = {network_medians_for<static_cast<int32_t>(2 * I + 3)>...};
  return engines;
}

}  // namespace

// Staging holds the samples of at most W2 outputs' windows: W2 + W - 1 < 2W.
size_t network_storage_bytes(int32_t W) {
  return round_up_storage(2 * static_cast<size_t>(W) * sizeof(double));
}

void network_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last, double *out,
                     void *storage) {
  const NetworkEngine *engines =
      network_engines(std::make_index_sequence<(kLongestNetworkWindow - 1) / 2>());
  engines[(W - 3) / 2](e, first, last, out, storage);
}
