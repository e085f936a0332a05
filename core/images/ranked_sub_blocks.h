// Any class through the engines of places: the block is cut into sub-blocks, each sub-block's
// samples are replaced by their places in its sorted order (distinct, so 16 bits), an engine
// ranks those places, and each output takes the sample of the place it selects. Windows beyond
// the small kernels' networks, as wide and high as place_bitsets.h takes, go to that engine, in
// sub-blocks of at most kMostPlaces samples, one of its strips wide; other windows to the 16-bit
// engines, in sub-blocks of at most 65536. Ties and the order's rules (-0 < +0, NaN last) are
// settled by the sort of keys, so the outputs are the bits the other engines give. An output
// costs its share of the sub-block's sort (within 2x of its samples: sub-blocks are at least
// twice the window each way) plus the engine's cost; whether that beats the sliding rank set is
// measured (see image_ranks.cpp).
#ifndef PLORVENT_CORE_IMAGES_RANKED_SUB_BLOCKS_H
#define PLORVENT_CORE_IMAGES_RANKED_SUB_BLOCKS_H

#include <cstdint>

#include "core/images/image_block.h"

// Sub-blocks of at most this many samples: their places fit 16 bits.
constexpr int32_t kMostSubBlockSamples = 65536;

// Whether the reduction takes this call: a full rectangle without offsets, small enough that a
// sub-block holds twice the window each way, of a class wider than 16 bits; or of a 16-bit class
// where the places' bits rank the window (their places would otherwise come back to this).
bool ranked_sub_blocks_serves(const ImageBlock *block, const ImageWindow *window);

// The work memory for sub-blocks of at most `most_samples` samples (kMostSubBlockSamples, or
// fewer to test the sub-blocks' seams), the 16-bit engine's included.
int64_t ranked_sub_blocks_work_bytes(const ImageBlock *block, const ImageWindow *window,
                                     int32_t most_samples = kMostSubBlockSamples);

// Every output of the block; `work` (aligned for any type) holds the bytes above.
void ranked_sub_blocks_ranks(const ImageBlock *block, const ImageWindow *window, void *work,
                             int32_t most_samples = kMostSubBlockSamples);

#endif
