// The separable rank kernel (small_kernel_lanes.h) compiled for each instruction set, the choice
// among them, and the floating-point outputs the lanes cannot tell apart: a rank falling on a NaN
// (the lanes hold NaN as +Inf) and the sign of a zero (the lanes compare -0 equal to +0).
#include "core/images/small_kernel_ranks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

#include "core/images/rank_networks.h"
#include "core/support/expanded_kernels.h"
#include "core/support/floating_point_state.h"
#include "core/support/nan_and_zeros.h"
#include "core/support/vector_lanes.h"
#include "core/support/vector_width.h"

namespace {

// The most vectors of rows a tile holds.
constexpr int32_t kMostTileVectors = 16;
// The output columns a walk down the block takes at once.
constexpr int32_t kDownColumns = 8;

#define PLORVENT_KERNEL_FILE "core/images/small_kernel_lanes.h"
#include "core/support/each_instruction_set.h"
#undef PLORVENT_KERNEL_FILE

// The widest vectors are 64 bytes; the work memory is aligned to them.
constexpr int64_t kVectorBytes = 64;
// A tile's sorted columns and merged window stay within the first-level cache.
constexpr int64_t kTileBytes = 16 * 1024;

int32_t tile_vectors(const ImageWindow *window) {
  const int64_t fit = kTileBytes / (int64_t{window->rows} * window->cols * kVectorBytes);
  return static_cast<int32_t>(std::max<int64_t>(1, std::min<int64_t>(fit, kMostTileVectors)));
}

bool rank_block_at_usable_width(const ImageBlock *block, const ImageWindow *window,
                                const RankNetworks &networks, int32_t tile, void *work,
                                bool &clean) {
  const VectorWidth width = usable_vector_width();
#ifdef PLORVENT_X86_64_LANES
  if (width >= kAvx512)
    return avx512::rank_block_in_lanes(block, window, networks, tile, work, clean);
  if (width >= kAvx2) return avx2::rank_block_in_lanes(block, window, networks, tile, work, clean);
  if (width >= kSse2) return sse2::rank_block_in_lanes(block, window, networks, tile, work, clean);
#endif
#ifdef PLORVENT_NEON_LANES
  if (width >= kNeon) return neon::rank_block_in_lanes(block, window, networks, tile, work, clean);
#endif
  (void)width;
  return false;
}

// One output a lane: for blocks too short for the vectors, and the classes without lanes.
bool rank_block_one_lane(const ImageBlock *block, const ImageWindow *window,
                         const RankNetworks &networks, int32_t tile, void *work) {
  bool clean = false;
  switch (block->type) {
    case kInt32Samples:
      return scalar::rank_block<scalar::PlainKind<int32_t>>(block, window, networks, tile, work);
    case kUint32Samples:
      return scalar::rank_block<scalar::PlainKind<uint32_t>>(block, window, networks, tile, work);
    case kInt64Samples:
      return scalar::rank_block<scalar::PlainKind<int64_t>>(block, window, networks, tile, work);
    case kUint64Samples:
      return scalar::rank_block<scalar::PlainKind<uint64_t>>(block, window, networks, tile, work);
    default:
      scalar::rank_block_in_lanes(block, window, networks, tile, work, clean);
      return clean;
  }
}

template <class T>
bool is_negative_zero(T v) {
  return v == 0 && std::signbit(v);
}

// Whether the samples hold a NaN and a -0, screened a column at a time.
template <class T>
void note_nan_and_negative_zero(const ImageBlock *block, const ImageWindow *window, bool &nan,
                                bool &negative_zero) {
  const T *x = static_cast<const T *>(block->samples);
  const int64_t sample_rows = block->rows + window->rows - 1;
  const int64_t sample_cols = block->cols + window->cols - 1;
  SpecialsSeen seen = no_specials_seen();
  for (int64_t c = 0; c < sample_cols; ++c) {
    note_specials(seen, x + c * block->samples_ld, sample_rows);
  }
  nan = seen.nan;
  negative_zero = seen.negative_zero;
}

// What the lanes lost, restored window by window where it matters: where an output is +Inf
// and the block holds a NaN, it is NaN if the rank reaches the window's NaNs; where an output is
// zero and the block holds a -0, it is -0 if the rank falls among the negatives and -0s.
template <class T>
void restore_nan_and_zero_signs(const ImageBlock *block, const ImageWindow *window) {
  const T *x = static_cast<const T *>(block->samples);
  T *y = static_cast<T *>(block->outputs);
  bool nan = false, negative_zero = false;
  note_nan_and_negative_zero<T>(block, window, nan, negative_zero);
  if (!nan && !negative_zero) return;
  for (int64_t j = 0; j < block->cols; ++j) {
    for (int64_t i = 0; i < block->rows; ++i) {
      T &out = y[i + j * block->outputs_ld];
      const bool infinite = out == std::numeric_limits<T>::infinity();
      if (!(nan && infinite) && !(negative_zero && out == 0)) continue;
      int32_t nans = 0, negatives = 0;
      for (int32_t c = 0; c < window->cols; ++c) {
        const T *column = x + i + (j + c) * block->samples_ld;
        for (int32_t k = 0; k < window->rows; ++k) {
          nans += column[k] != column[k];
          negatives += column[k] < 0 || is_negative_zero(column[k]);
        }
      }
      if (infinite) {
        if (window->rank >= window->count - nans) out = static_cast<T>(block->nan);
      } else {
        out = window->rank < negatives ? T(-0.0) : T(0.0);
      }
    }
  }
}

}  // namespace

bool small_kernel_serves(const ImageBlock *block, const ImageWindow *window) {
  if (window->domain != nullptr || window->rows < 1 || window->cols < 1) return false;
  if (int64_t{window->rows} * window->cols > kMostSmallKernelSamples) return false;
  return !is_floating_point(block->type) || floating_point_state_is_default();
}

int64_t small_kernel_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  const int64_t element_bytes = static_cast<int64_t>(sample_bytes(block->type));
  const int64_t sorted_rows = (block->rows + window->rows - 1) * window->cols;
  return (int64_t{window->rows} * window->cols * tile_vectors(window) + 1) * kVectorBytes +
         sorted_rows * element_bytes;
}

void small_kernel_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows <= 0 || block->cols <= 0) return;
  const RankNetworks networks = rank_networks(window->rows, window->cols, window->rank);
  // The work memory holds a vector's bytes more than it needs, to align it. (The address as a
  // 64-bit integer, as wide as every pointer the modules are built for.)
  const unsigned long long address = reinterpret_cast<unsigned long long>(work);
  void *aligned =
      static_cast<char *>(work) + (kVectorBytes - address % kVectorBytes) % kVectorBytes;
  const int32_t tile = tile_vectors(window);
  bool clean = false;
  if (!rank_block_at_usable_width(block, window, networks, tile, aligned, clean)) {
    clean = rank_block_one_lane(block, window, networks, tile, aligned);
  }
  if (clean) return;
  if (block->type == kDoubleSamples) restore_nan_and_zero_signs<double>(block, window);
  if (block->type == kSingleSamples) restore_nan_and_zero_signs<float>(block, window);
}
