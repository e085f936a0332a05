// Ranks over small full rectangles by separable sorting, in SIMD lanes that hold neighbouring
// output rows: the n samples of each sample row under the window are sorted once and shared by
// the m windows that hold them; the m sorted rows of a window are then merged by a network
// pruned to the one rank wanted.
#ifndef PLORVENT_CORE_IMAGES_SMALL_KERNEL_RANKS_H
#define PLORVENT_CORE_IMAGES_SMALL_KERNEL_RANKS_H

#include <cstdint>

#include "core/images/image_block.h"

// Whether the engine takes this call: a full rectangle of at most kMostSmallKernelSamples
// samples, and for floating-point classes the processor comparing subnormals as IEEE says.
bool small_kernel_serves(const ImageBlock *block, const ImageWindow *window);

// The work memory small_kernel_ranks needs, in bytes (any alignment).
int64_t small_kernel_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block; `work` holds small_kernel_work_bytes bytes.
void small_kernel_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
