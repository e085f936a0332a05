// Ranks of 16-bit samples over large full rectangles by sliding histograms in four levels, one a
// nibble of the sample's order key: 16 bins of 4096 keys, 256 of 256, 4096 of 16 and 65536 of
// one. Each sample row of a strip of outputs keeps its n samples' counts at every level (one byte
// a count), updated by one sample out and one in as the window moves a column. The window's
// histogram moves down the strip: its 16 top bins by adding the row that enters and taking away
// the one that leaves, for every output; below them, only the segment of 16 bins the rank falls
// in at each level, brought up to date from the rows passed since it was last kept in this column
// (or summed anew over the window's m rows), so that no histogram of 65536 window counts is ever
// summed.
//
// Cost an output, whatever the samples: the window's top bins and the rows' counts (8 byte
// updates a sample row, (S + m - 1) / S sample rows an output for strips of S rows), four
// branch-free searches of 16 bins, and three segments brought up to date, each by at most
// min(2 * rows passed, m) row segments of 16 counts: at worst 3 * m * 16 count additions, when
// the rank's segment at every level was not kept since the window last held none of its rows.
// A rank that stays in a few segments (smooth images, two levels, noise) costs a few row
// segments an output; one that leaves its finest segment at every output (a steep ramp) costs
// the m rows of its new finest segment.
#ifndef PLORVENT_CORE_IMAGES_NIBBLE_HISTOGRAMS_H
#define PLORVENT_CORE_IMAGES_NIBBLE_HISTOGRAMS_H

#include <cstdint>

#include "core/images/image_block.h"

// Whether the engine takes this call: a full rectangle of uint16 or int16 samples, at most 255
// samples high and wide (the rows' counts are one byte, the window's 16 bits).
bool nibble_histogram_serves(const ImageBlock *block, const ImageWindow *window);

// The work memory nibble_histogram_ranks needs, in bytes (any alignment): about 70 KiB a sample
// row of a strip, (strip + m - 1) rows, bounded by the window's height, not the block's (up to
// 22 MiB at 255 rows, about 8 MiB at 51).
int64_t nibble_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block; `work` holds nibble_histogram_work_bytes bytes.
void nibble_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
