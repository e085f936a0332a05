#include "core/images/image_ranks.h"

#include "core/images/column_histograms.h"
#include "core/images/high_byte_histograms.h"
#include "core/images/nibble_histograms.h"
#include "core/images/ranked_sub_blocks.h"
#include "core/images/sliding_domain_ranks.h"
#include "core/images/small_kernel_ranks.h"
#include "core/images/window_select_ranks.h"

namespace {

// Windows of at most this many samples are selected afresh: for them a selection costs no more
// than the sliding set's updates and its share of the block's sort (measured from 3x3 to 9x9:
// about even at 3x3, the sliding set twice as fast at 5x5).
const int32_t kMostSelectedSamples = 9;
// Beyond this many samples the 8-bit histograms and the ranked sub-blocks beat the small
// kernels' networks (measured at 7x7 and 8x8: uint8 3.7 and 17 ns a pixel against 14-20, double
// 34 and 146 against 86).
const int32_t kMostNetworkSamples = 49;

// The engines, fastest first: the first that serves a block and window computes it. The engines
// for full rectangles go first: beyond 49 samples the 8-bit histograms, and for classes wider
// than 16 bits the sub-blocks ranked into the 16-bit engines (a sub-block's sort and that engine
// beat the sliding set over the whole block's samples); for 16-bit classes beyond 64 samples, the
// sub-blocks ranked into the places' bits where those take the window (measured in the engines
// alone from 9x9 to 51x51: 2 to 3 times as fast as the nibbles on uniform noise, 1.1 times on
// ramps, within 1.3 times on two levels); then the small kernels' networks, up to
// 64 samples; then the 16-bit histograms: by nibbles where the window is at most 255 high and 113
// wide, else by high bytes (measured through the image job from 9x9 to 51x51: the nibbles 1.3 to
// 4 times as fast on two levels and ramps, and on uniform noise from 14% slower at 9x9 to 1.4
// times as fast at 51x51). Each engine has its own test of what it serves.
enum ImageEngine {
  kSmallKernel,
  kColumnHistogram,
  kNibbleHistogram,
  kHighByteHistogram,
  kRankedSubBlocks,
  kWindowSelect,
  kSlidingDomain
};

// A domain that holds every sample of its rectangle is the rectangle itself.
ImageWindow as_rectangle(const ImageWindow *window) {
  ImageWindow r = *window;
  if (r.count == int64_t{r.rows} * r.cols) r.domain = nullptr;
  return r;
}

ImageEngine engine_for(const ImageBlock *block, const ImageWindow *window) {
  if (window->offsets == nullptr) {
    const ImageWindow rectangle = as_rectangle(window);
    const bool histograms = column_histogram_serves(block, &rectangle);
    const bool sub_blocks = ranked_sub_blocks_serves(block, &rectangle);
    if (histograms && rectangle.count > kMostNetworkSamples) return kColumnHistogram;
    if (sub_blocks && rectangle.count > kMostNetworkSamples) return kRankedSubBlocks;
    if (small_kernel_serves(block, &rectangle)) return kSmallKernel;
    if (histograms) return kColumnHistogram;
    if (nibble_histogram_serves(block, &rectangle)) return kNibbleHistogram;
    if (high_byte_histogram_serves(block, &rectangle)) return kHighByteHistogram;
    if (sub_blocks) return kRankedSubBlocks;
  }
  if (window->offsets || window->count <= kMostSelectedSamples) return kWindowSelect;
  return kSlidingDomain;
}

// Blocks of this many output rows, measured through the image job on 2000x2000 to 8000x500
// images: the small kernels 5-30% faster at 2048 rows than at 512, and no faster beyond; the
// histograms and sub-blocks not consistently faster at 768 to 2000 rows than at 512 (the 8-bit
// histograms slower at 2000).
const int64_t kSmallKernelBlockRows = 2048;
const int64_t kHistogramBlockRows = 512;

}  // namespace

int64_t image_ranks_block_rows(SampleType type, const ImageWindow *window) {
  ImageBlock shape = {};
  shape.type = type;
  return engine_for(&shape, window) == kSmallKernel ? kSmallKernelBlockRows : kHistogramBlockRows;
}

size_t image_ranks_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  const ImageWindow rectangle = as_rectangle(window);
  switch (engine_for(block, window)) {
    case kSmallKernel:
      return static_cast<size_t>(small_kernel_work_bytes(block, &rectangle));
    case kColumnHistogram:
      return static_cast<size_t>(column_histogram_work_bytes(block, &rectangle));
    case kNibbleHistogram:
      return static_cast<size_t>(nibble_histogram_work_bytes(block, &rectangle));
    case kHighByteHistogram:
      return static_cast<size_t>(high_byte_histogram_work_bytes(block, &rectangle));
    case kRankedSubBlocks:
      return static_cast<size_t>(ranked_sub_blocks_work_bytes(block, &rectangle));
    case kWindowSelect:
      return window_select_ranks_work_bytes(block, window);
    case kSlidingDomain:
      break;
  }
  return sliding_domain_ranks_work_bytes(block, window);
}

void image_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows == 0 || block->cols == 0) return;
  const ImageWindow rectangle = as_rectangle(window);
  switch (engine_for(block, window)) {
    case kSmallKernel:
      small_kernel_ranks(block, &rectangle, work);
      return;
    case kColumnHistogram:
      column_histogram_ranks(block, &rectangle, work);
      return;
    case kNibbleHistogram:
      nibble_histogram_ranks(block, &rectangle, work);
      return;
    case kHighByteHistogram:
      high_byte_histogram_ranks(block, &rectangle, work);
      return;
    case kRankedSubBlocks:
      ranked_sub_blocks_ranks(block, &rectangle, work);
      return;
    case kWindowSelect:
      window_select_ranks(block, window, work);
      return;
    case kSlidingDomain:
      sliding_domain_ranks(block, window, work);
      return;
  }
}
