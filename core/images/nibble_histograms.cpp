// Sliding four-level histograms of 16-bit samples (see nibble_histograms.h).
#include "core/images/nibble_histograms.h"

#include <algorithm>
#include <cstring>

#include "core/images/count_lanes.h"
#include "core/support/storage_layout.h"
#include "core/support/vector_width.h"

namespace {

constexpr int32_t kLevels = 4;
// Segments of 16 bins at each level.
constexpr int64_t kSegments[kLevels] = {1, 16, 256, 4096};
// The outputs of a strip: its columns' updates are shared by up to kStripCols outputs a row, and
// at least kLeastStripCols; its sample columns, 68 KiB each, are at most kMostSampleCols.
constexpr int64_t kStripCols = 64;
constexpr int64_t kLeastStripCols = 16;
constexpr int64_t kMostSampleCols = 128;
constexpr int32_t kMostRows = 255;  // a column's counts are one byte
// How far ahead a row's update asks for the counts it will touch (measured: 8 to 16 columns).
constexpr int64_t kPrefetchColumns = 8;

// The sample columns' counts: segment s of level l of sample column c at
// level[l][(s * sample_cols + c) * 16], each segment's columns together so that a window's n
// columns of it are one run.
struct NibbleColumns {
  uint8_t *level[kLevels];
  int64_t sample_cols;
};

// The window's counts: segment s of a level beyond the first as of output
// `kept_at[l][s]` (counted from the start of the call, a row's outputs a window's width beyond
// the last row's, so that no segment kept in another row is less than n behind).
struct NibbleWindow {
  uint16_t *counts[kLevels];  // level 0 unused
  int64_t *kept_at[kLevels];
};

// The key's segment at level l (its top 4l bits) and its bin within that segment (the next 4).
inline int64_t segment_of(uint32_t key, int32_t l) {
  return static_cast<int64_t>(key >> (16 - 4 * l));
}
inline int32_t bin_of(uint32_t key, int32_t l) {
  return static_cast<int32_t>(key >> (12 - 4 * l) & 15);
}

#define PLORVENT_KERNEL_FILE "core/images/nibble_histogram_kernel.h"
#include "core/support/each_instruction_set.h"
#undef PLORVENT_KERNEL_FILE

void rank_strip_at_usable_width(const ImageBlock *block, const ImageWindow *window, int64_t j0,
                                int64_t cols, const NibbleColumns &h, NibbleWindow &w,
                                int64_t &at) {
  const VectorWidth width = usable_vector_width();
#ifdef PLORVENT_X86_64_LANES
  if (width >= kAvx512) return avx512::rank_strip(block, window, j0, cols, h, w, at);
  if (width >= kAvx2) return avx2::rank_strip(block, window, j0, cols, h, w, at);
  if (width >= kSse2) return sse2::rank_strip(block, window, j0, cols, h, w, at);
#endif
#ifdef PLORVENT_NEON_LANES
  if (width >= kNeon) return neon::rank_strip(block, window, j0, cols, h, w, at);
#endif
  (void)width;
  scalar::rank_strip(block, window, j0, cols, h, w, at);
}

int64_t strip_cols(const ImageBlock *block, const ImageWindow *window) {
  return std::min({block->cols, kStripCols, kMostSampleCols - (window->cols - 1)});
}

// The work memory: the window's counts and when each segment was kept, then the columns' counts.
void carve_counts(StorageLayout &s, int64_t sample_cols, NibbleColumns &h, NibbleWindow &w) {
  for (int32_t l = 0; l < kLevels; ++l) {
    w.counts[l] = take<uint16_t>(s, kSegments[l] * kCountLanes);
    w.kept_at[l] = take<int64_t>(s, kSegments[l]);
  }
  h.sample_cols = sample_cols;
  for (int32_t l = 0; l < kLevels; ++l) {
    h.level[l] = take<uint8_t>(s, kSegments[l] * sample_cols * kCountLanes);
  }
}

}  // namespace

bool nibble_histogram_serves(const ImageBlock *block, const ImageWindow *window) {
  const SampleType t = block->type;
  return window->domain == nullptr && window->rows >= 1 && window->cols >= 1 &&
         window->rows <= kMostRows && window->cols - 1 + kLeastStripCols <= kMostSampleCols &&
         int64_t{window->rows} * window->cols <= 65535 &&
         (t == kUint16Samples || t == kInt16Samples);
}

int64_t nibble_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  NibbleColumns h;
  NibbleWindow w;
  const int64_t sample_cols = strip_cols(block, window) + window->cols - 1;
  return static_cast<int64_t>(
      bytes_taken_by([&](StorageLayout &s) { carve_counts(s, sample_cols, h, w); }));
}

void nibble_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows <= 0 || block->cols <= 0) return;
  const int64_t strip = strip_cols(block, window);
  StorageLayout s = carving_layout(work);
  NibbleColumns h;
  NibbleWindow w;
  carve_counts(s, strip + window->cols - 1, h, w);
  for (int32_t l = 0; l < kLevels; ++l) {
    std::memset(h.level[l], 0, static_cast<size_t>(kSegments[l] * h.sample_cols * kCountLanes));
    for (int64_t k = 0; k < kSegments[l]; ++k) w.kept_at[l][k] = INT64_MIN / 2;
  }
  int64_t at = 0;
  for (int64_t j0 = 0; j0 < block->cols; j0 += strip) {
    const int64_t cols = block->cols - j0 < strip ? block->cols - j0 : strip;
    rank_strip_at_usable_width(block, window, j0, cols, h, w, at);
  }
}
