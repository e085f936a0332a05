// Ranks of 8-bit samples over large full rectangles by sliding histograms, in constant time an
// output whatever the window's size. Each sample row of a strip of outputs keeps the histogram of
// its n samples under the window, updated by one sample out and one in as the window moves a
// column; the window's histogram moves down the strip by adding the row that enters and taking
// away the one that leaves. Histograms are in two levels, 16 coarse bins of 16 fine ones, each
// level cumulative (a bin counts the samples at or below it) in vectors of 16 counts, so that a
// rank's bin is the count of bins at most the rank, found without a branch. The coarse level is
// kept for every output, a fine segment only when the rank falls in it, brought up to date from
// the rows passed since it was last kept. An output costs one sample row's update, one coarse
// move and at most m rows of one fine segment (m when the rank's segment was last kept a
// window's height before: the segment is summed anew), whatever the samples.
#ifndef PLORVENT_CORE_IMAGES_COLUMN_HISTOGRAMS_H
#define PLORVENT_CORE_IMAGES_COLUMN_HISTOGRAMS_H

#include <cstdint>

#include "core/images/image_block.h"

// Whether the engine takes this call: a full rectangle of uint8, int8 or logical samples, of at
// most 65535 samples (its counts are 16-bit).
bool column_histogram_serves(const ImageBlock *block, const ImageWindow *window);

// The work memory column_histogram_ranks needs, in bytes (aligned for 16-bit counts); bounded by
// the window's height, not the block's.
int64_t column_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block; `work` holds column_histogram_work_bytes bytes.
void column_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
