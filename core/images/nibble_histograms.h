// Ranks of 16-bit samples over large full rectangles by sliding histograms in four levels, one a
// nibble of the sample's order key, in near constant time an output. Each sample column of a
// strip of outputs keeps the histogram of its m samples under the window at every level (16
// segments of 16 bins at the second, 4096 at the last), updated by one sample out and one in at
// each level as the window moves down a row. The window moves right along the row: its first
// level (16 bins) by the column that enters and the one that leaves, at every output; at each
// later level only the segment the rank falls in, brought up to date from the columns passed
// since it was last kept, or summed anew from the window's n columns. Every segment is cumulative
// in vectors of 16 counts (count_lanes.h), so that a rank's bin is found without a branch.
//
// Cost an output, whatever the samples: a sample column's share of the updates (two samples at
// four levels, one vector each, for (cols + n - 1) / cols sample columns), the first level's move
// and at most n columns of one segment at each of the three later levels. The columns' counts
// are one byte (the window is at most 255 high), the window's 16 bits.
#ifndef PLORVENT_CORE_IMAGES_NIBBLE_HISTOGRAMS_H
#define PLORVENT_CORE_IMAGES_NIBBLE_HISTOGRAMS_H

#include <cstdint>

#include "core/images/image_block.h"

// Whether the engine takes this call: a full rectangle of uint16 or int16 samples, at most 255
// rows and 113 columns (a strip of at least 16 outputs within 128 sample columns) and 65535
// samples.
bool nibble_histogram_serves(const ImageBlock *block, const ImageWindow *window);

// The work memory nibble_histogram_ranks needs, in bytes (aligned for 64-bit integers): 68 KiB a
// sample column of a strip (at most 64 outputs wide, and at most 128 sample columns with the
// window's n - 1) and 171 KiB for the window's counts: at most 8.7 MiB, whatever the block.
int64_t nibble_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block; `work` holds nibble_histogram_work_bytes bytes.
void nibble_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
