// Short-window engine: a median-selection network run on several neighbouring windows at once,
// one window per SIMD lane, with vector min/max. Branch-free, so it runs near memory speed.
//
// The min/max instructions pick a fixed operand for NaN and for -0.0 against +0.0; that can
// change the result only for windows holding a NaN or zeros of both signs around a zero median,
// and the exactness pass recomputes exactly those.
#include <algorithm>
#include <cstring>

#include "selection_network.h"
#include "sliding_engines.h"

namespace {

// Vectors come from the GNU vector extensions (GCC, Clang, MinGW); other compilers run the
// same network one window at a time.
#if defined(__GNUC__)
#define PLORVENT_HAVE_VECTORS 1
#define PLORVENT_INLINE __attribute__((always_inline)) inline
typedef double Lanes2 __attribute__((vector_size(16), aligned(8)));
#if defined(__x86_64__) || defined(__i386__)
#define PLORVENT_HAVE_WIDE_NETWORKS 1
typedef double Lanes4 __attribute__((vector_size(32), aligned(8)));
typedef double Lanes8 __attribute__((vector_size(64), aligned(8)));
#endif
#else
#define PLORVENT_INLINE inline
#endif

// Runs the network on windows src[i ... i+W-1] for i = 0, 1, ..., in groups of Groups vectors of
// V, writing out[i]; returns how many outputs it wrote (a multiple of the group's width).
template <class V, int Groups>
PLORVENT_INLINE int64_t run_network(const NetworkOp *ops, int32_t count, int32_t W,
                                    const double *src, double *out, int64_t outputs) {
  const int64_t width = Groups * static_cast<int64_t>(sizeof(V) / sizeof(double));
  const int32_t k = (W - 1) / 2;
  V r[kLongestNetworkWindow][Groups];
  int64_t i = 0;
  for (; i + width <= outputs; i += width) {
    for (int32_t j = 0; j < W; ++j) {
      for (int g = 0; g < Groups; ++g)
        std::memcpy(&r[j][g], src + i + g * (width / Groups) + j, sizeof(V));
    }
    for (int32_t c = 0; c < count; ++c) {
      const int low = ops[c].low, high = ops[c].high;
      const NetworkOpKind kind = ops[c].kind;
      for (int g = 0; g < Groups; ++g) {
        const V a = r[low][g], b = r[high][g];
        if (kind != kMaxOnly) r[low][g] = a < b ? a : b;
        if (kind != kMinOnly) r[high][g] = a < b ? b : a;
      }
    }
    for (int g = 0; g < Groups; ++g)
      std::memcpy(out + i + g * (width / Groups), &r[k][g], sizeof(V));
  }
  return i;
}

// The widest vectors the processor has, checked once per call.
enum VectorWidth { kSse2, kAvx2, kAvx512 };

#ifdef PLORVENT_HAVE_WIDE_NETWORKS
__attribute__((target("avx2"))) int64_t run_network_avx2(const NetworkOp *ops, int32_t count,
                                                         int32_t W, const double *src, double *out,
                                                         int64_t outputs) {
  return run_network<Lanes4, 4>(ops, count, W, src, out, outputs);
}

__attribute__((target("avx512f"))) int64_t run_network_avx512(const NetworkOp *ops, int32_t count,
                                                              int32_t W, const double *src,
                                                              double *out, int64_t outputs) {
  return run_network<Lanes8, 4>(ops, count, W, src, out, outputs);
}

VectorWidth widest_vectors() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return kAvx512;
  if (__builtin_cpu_supports("avx2")) return kAvx2;
  return kSse2;
}
#else
VectorWidth widest_vectors() {
  return kSse2;
}
#endif

// Every output of a contiguous run of windows: the widest kernel the processor has, then
// narrower ones for what is left.
void run_network_everywhere(const NetworkOp *ops, int32_t count, int32_t W, VectorWidth width,
                            const double *src, double *out, int64_t outputs) {
  int64_t done = 0;
#ifdef PLORVENT_HAVE_WIDE_NETWORKS
  if (width == kAvx512) done = run_network_avx512(ops, count, W, src, out, outputs);
  if (width >= kAvx2) {
    done += run_network_avx2(ops, count, W, src + done, out + done, outputs - done);
  }
#else
  (void)width;
#endif
#ifdef PLORVENT_HAVE_VECTORS
  done += run_network<Lanes2, 4>(ops, count, W, src + done, out + done, outputs - done);
  done += run_network<Lanes2, 1>(ops, count, W, src + done, out + done, outputs - done);
#endif
  run_network<double, 1>(ops, count, W, src + done, out + done, outputs - done);
}

// Outputs first ... last-1 (into out[0 ...]), whose windows reach past the signal's ends: their
// samples are copied into `staging` so that the kernels see one contiguous run.
void run_network_staged(const NetworkOp *ops, int32_t count, int32_t W, VectorWidth width,
                        const ExtendedSignal &e, int64_t first, int64_t last, double *staging,
                        double *out) {
  if (first >= last) return;
  const int64_t samples = last - first + W - 1;
  for (int64_t j = 0; j < samples; ++j) staging[j] = extended_at(e, first - e.W2 + j);
  run_network_everywhere(ops, count, W, width, staging, out, last - first);
}

}  // namespace

// Staging holds the samples of at most W2 outputs' windows: W2 + W - 1 < 2W.
size_t network_storage_bytes(int32_t W) {
  return round_up_storage(2 * static_cast<size_t>(W) * sizeof(double));
}

void network_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last, double *out,
                     void *storage) {
  NetworkOp ops[kMostNetworkOps];
  const int32_t count = build_median_network(W, ops);
  const VectorWidth width = widest_vectors();
  double *staging = static_cast<double *>(storage);
  // Windows wholly inside x read it in place; those reaching past its ends are staged.
  const int64_t inner_begin = std::min(std::max(first, e.W2), last);
  const int64_t inner_end = std::min(std::max(inner_begin, e.n - e.W2), last);
  run_network_staged(ops, count, W, width, e, first, inner_begin, staging, out);
  if (inner_end > inner_begin) {
    run_network_everywhere(ops, count, W, width, e.x + inner_begin - e.W2,
                           out + inner_begin - first, inner_end - inner_begin);
  }
  run_network_staged(ops, count, W, width, e, inner_end, last, staging, out + inner_end - first);
}
