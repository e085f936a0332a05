// The image rank filters' one entry: picks the engine that serves a block and window, fastest
// first, and says how much work memory the one it picks takes.
#ifndef PLORVENT_CORE_IMAGES_IMAGE_RANKS_H
#define PLORVENT_CORE_IMAGES_IMAGE_RANKS_H

#include <cstddef>
#include <cstdint>

#include "core/images/image_block.h"

// The work memory image_ranks takes for this block and window (the block's samples and outputs
// aside; only their shape and class are read).
size_t image_ranks_work_bytes(const ImageBlock *block, const ImageWindow *window);

// The output rows a block of this class and window is best given: tall for the small kernels,
// whose work streams down each column of samples and gains from long runs; shorter for the
// histograms, whose strips restart at every block's top.
int64_t image_ranks_block_rows(SampleType type, const ImageWindow *window);

// Every output of the block, in `work` (aligned for any type) of that size.
void image_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
