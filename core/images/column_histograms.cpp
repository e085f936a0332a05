// Sliding two-level histograms of 8-bit samples (see column_histograms.h).
#include "core/images/column_histograms.h"

#include <cstring>

#include "core/images/count_lanes.h"
#include "core/support/storage_layout.h"
#include "core/support/vector_width.h"

namespace {

constexpr int32_t kBins = 256;
constexpr int32_t kCoarseBins = kCountLanes;
constexpr int32_t kFineBins = kBins / kCoarseBins;
// The outputs of a strip: its sample rows' histograms stay in the processor's second-level cache.
constexpr int64_t kStripRows = 192;
// A fine segment's row when it holds no window.
constexpr int64_t kNoRow = -1;

// Every histogram is cumulative: coarse bin b counts the samples of coarse bins 0 ... b, and fine
// bin f of a segment the samples of that segment's fine bins 0 ... f. A rank's bin is then the
// count of bins at most the rank, with no sum along the bins and no branch.
struct RowHistograms {
  uint16_t *fine;    // kBins a sample row: kCoarseBins segments of kFineBins
  uint16_t *coarse;  // kCoarseBins a sample row
};

// The window's histogram: every coarse bin, and the fine segments as of the window starting at
// `fine_row[b]`.
struct WindowHistogram {
  uint16_t coarse[kCoarseBins];
  uint16_t fine[kCoarseBins][kFineBins];
  int64_t fine_row[kCoarseBins];
};

// Samples as bins: signed bytes with their sign bit flipped, so that the bins run in their order.
inline int32_t bin_of(uint8_t v, uint8_t flip) {
  return v ^ flip;
}

#define PLORVENT_KERNEL_FILE "core/images/column_histogram_kernel.h"
#include "core/support/each_instruction_set.h"
#undef PLORVENT_KERNEL_FILE

// Output rows i0 ... i0+rows-1 of every column, in the widest vectors the processor has.
void rank_strip_at_usable_width(const ImageBlock *block, const ImageWindow *window, int64_t i0,
                                int64_t rows, RowHistograms h, WindowHistogram &w) {
  const VectorWidth width = usable_vector_width();
#ifdef PLORVENT_X86_64_LANES
  if (width >= kAvx512) return avx512::rank_strip(block, window, i0, rows, h, w);
  if (width >= kAvx2) return avx2::rank_strip(block, window, i0, rows, h, w);
  if (width >= kSse2) return sse2::rank_strip(block, window, i0, rows, h, w);
#endif
#ifdef PLORVENT_NEON_LANES
  if (width >= kNeon) return neon::rank_strip(block, window, i0, rows, h, w);
#endif
  (void)width;
  scalar::rank_strip(block, window, i0, rows, h, w);
}

}  // namespace

bool column_histogram_serves(const ImageBlock *block, const ImageWindow *window) {
  const SampleType t = block->type;
  return window->domain == nullptr && window->rows >= 1 && window->cols >= 1 &&
         int64_t{window->rows} * window->cols <= 65535 &&
         (t == kUint8Samples || t == kInt8Samples || t == kLogicalSamples);
}

namespace {

// The work memory: each sample row's fine and coarse counts for a strip.
RowHistograms carve_rows(StorageLayout &s, const ImageWindow *window) {
  const int64_t sample_rows = kStripRows + window->rows - 1;
  RowHistograms h;
  h.fine = take<uint16_t>(s, sample_rows * kBins);
  h.coarse = take<uint16_t>(s, sample_rows * kCoarseBins);
  return h;
}

}  // namespace

int64_t column_histogram_work_bytes(const ImageBlock *, const ImageWindow *window) {
  return static_cast<int64_t>(bytes_taken_by([&](StorageLayout &s) { carve_rows(s, window); }));
}

void column_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  StorageLayout s = carving_layout(work);
  const RowHistograms h = carve_rows(s, window);
  WindowHistogram w;
  for (int64_t i0 = 0; i0 < block->rows; i0 += kStripRows) {
    const int64_t rows = block->rows - i0 < kStripRows ? block->rows - i0 : kStripRows;
    rank_strip_at_usable_width(block, window, i0, rows, h, w);
  }
}
