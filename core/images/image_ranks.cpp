#include "core/images/image_ranks.h"

#include "core/images/sliding_domain_ranks.h"
#include "core/images/window_select_ranks.h"

namespace {

// Windows of at most this many samples are selected afresh: for them a selection costs no more
// than the sliding set's updates and its share of the block's sort (measured from 3x3 to 9x9:
// about even at 3x3, the sliding set twice as fast at 5x5).
const int32_t kMostSelectedSamples = 9;

// The engines, fastest first: the first that serves a block and window computes it. An engine
// that serves only some shapes or classes goes before the general ones, with its test.
enum ImageEngine { kWindowSelect, kSlidingDomain };

ImageEngine engine_for(const ImageBlock *, const ImageWindow *window) {
  if (window->offsets || window->count <= kMostSelectedSamples) return kWindowSelect;
  return kSlidingDomain;
}

}  // namespace

size_t image_ranks_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  switch (engine_for(block, window)) {
    case kWindowSelect:
      return window_select_ranks_work_bytes(block, window);
    case kSlidingDomain:
      break;
  }
  return sliding_domain_ranks_work_bytes(block, window);
}

void image_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows == 0 || block->cols == 0) return;
  switch (engine_for(block, window)) {
    case kWindowSelect:
      window_select_ranks(block, window, work);
      return;
    case kSlidingDomain:
      sliding_domain_ranks(block, window, work);
      return;
  }
}
