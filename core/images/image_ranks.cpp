#include "core/images/image_ranks.h"

#include "core/images/offset_window_ranks.h"
#include "core/images/sliding_domain_ranks.h"

namespace {

// The engines, fastest first: the first that serves a block and window computes it. An engine
// that serves only some shapes or classes goes before the general ones, with its test.
enum ImageEngine { kOffsetWindows, kSlidingDomain };

ImageEngine engine_for(const ImageBlock *, const ImageWindow *window) {
  if (window->offsets) return kOffsetWindows;
  return kSlidingDomain;
}

}  // namespace

size_t image_ranks_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  switch (engine_for(block, window)) {
    case kOffsetWindows:
      return offset_window_ranks_work_bytes(block, window);
    case kSlidingDomain:
      break;
  }
  return sliding_domain_ranks_work_bytes(block, window);
}

void image_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows == 0 || block->cols == 0) return;
  switch (engine_for(block, window)) {
    case kOffsetWindows:
      offset_window_ranks(block, window, work);
      return;
    case kSlidingDomain:
      sliding_domain_ranks(block, window, work);
      return;
  }
}
