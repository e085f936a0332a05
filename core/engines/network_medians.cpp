// Short-window engine: a selection network, expanded at compile time for each window length,
// run on neighbouring windows two at a time and on several pairs at once, one pair per SIMD
// lane. Branch-free, with the samples kept in registers, so it runs near memory speed.
//
// Windows i and i+1 share W-1 samples; one network finds ranks k-1 and k of those, and each
// window's median is its own extra sample clamped between the two. Each lane of a vector handles
// one such pair of a group, and row r of the lanes holds each pair's r-th sample: even and odd
// rows come from two overlapping loads split apart (core/support/vector_lanes.h). The kernel is
// written once (paired_network_kernel.h) and compiled here for each instruction set.
//
// Each instruction set's min/max treats NaN, and -0.0 against +0.0, its own way; that can change
// the result only for windows holding a NaN or zeros of both signs around a zero median, and the
// exactness pass recomputes exactly those.
#include "core/engines/network_medians.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/engines/block_sort_medians.h"
#include "core/engines/selection_network.h"
#include "core/support/expanded_kernels.h"
#include "core/support/storage_layout.h"
#include "core/support/vector_lanes.h"
#include "core/support/vector_width.h"

namespace {

// The longest window each kernel serves: beyond it the block engine is faster (measured on
// x86-64 for SSE2 and AVX2; NEON, with as many lanes as SSE2 and more registers, is given the
// same as SSE2; the AVX-512 kernels, twice as fast as AVX2's where they were timed, serve up to
// the longest).
constexpr int32_t kLongest128BitNetwork = 41;
constexpr int32_t kLongest256BitNetwork = 57;
static_assert(kLongest128BitNetwork <= kLongest256BitNetwork &&
                  kLongest256BitNetwork <= kLongestNetworkWindow,
              "the widest kernels serve the longest");
// Other processors and compilers: one pair of windows at a time in plain doubles. The longest
// window is a guess from the SSE2 kernel's crossover (no such processor was at hand to measure);
// on x86-64 and aarch64 this kernel runs only when a test limits the vectors to none.
constexpr int32_t kLongestScalarNetwork = 25;

// The most outputs one kernel call writes.
constexpr int32_t kWidestGroup = 16;

typedef int64_t (*PairKernel)(const double *y, double *out, int64_t outputs, bool &ordinary);

#define PLORVENT_KERNEL_FILE "core/engines/paired_network_kernel.h"
#include "core/support/each_instruction_set.h"
#undef PLORVENT_KERNEL_FILE

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

#ifdef PLORVENT_X86_64_LANES
// AVX-512 processors: the eight-lane kernels from the W where they measure faster than the
// four-lane ones (on an AMD EPYC). Below it a group of 16 windows is little work for its two
// 64-byte loads, which mostly straddle cache lines; the AVX2 kernels serve there.
constexpr int32_t kShortestAvx512Network = 9;

template <size_t... I>
const PairKernel *avx512_kernel_table(std::index_sequence<I...>) {
  static const PairKernel kernels[] = {
      (2 * I + 3 < kShortestAvx512Network ? avx2::run_pairs<static_cast<int32_t>(2 * I + 3)>
                                          : avx512::run_pairs<static_cast<int32_t>(2 * I + 3)>)...};
  return kernels;
}
#endif

template <int32_t Longest>
std::make_index_sequence<(Longest - 1) / 2> kernels_up_to() {
  return {};
}

// The kernels the processor's vectors (and a test's limit) allow, and the longest W they serve.
struct NetworkKernels {
  const PairKernel *kernels;
  int32_t longest;
};

NetworkKernels kernels_in_use() {
  const VectorWidth width = usable_vector_width();
#ifdef PLORVENT_X86_64_LANES
  if (width >= kAvx512)
    return {avx512_kernel_table(kernels_up_to<kLongestNetworkWindow>()), kLongestNetworkWindow};
  if (width >= kAvx2)
    return {avx2::kernel_table(kernels_up_to<kLongest256BitNetwork>()), kLongest256BitNetwork};
  if (width >= kSse2)
    return {sse2::kernel_table(kernels_up_to<kLongest128BitNetwork>()), kLongest128BitNetwork};
#endif
#ifdef PLORVENT_NEON_LANES
  if (width >= kNeon)
    return {neon::kernel_table(kernels_up_to<kLongest128BitNetwork>()), kLongest128BitNetwork};
#endif
  (void)width;
  return {scalar::kernel_table(kernels_up_to<kLongestScalarNetwork>()), kLongestScalarNetwork};
}

PairKernel pair_kernel(int32_t W) {
  return kernels_in_use().kernels[static_cast<size_t>(W - 3) / 2];
}

}  // namespace

int32_t longest_network_window() {
  return kernels_in_use().longest;
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
