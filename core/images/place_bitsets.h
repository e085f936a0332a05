// Ranks of distinct places (each value at most once in a block, as ranked_sub_blocks.h makes
// them) over large full rectangles, by sliding histograms in two levels of counts and a last level
// of bits. Places are below 2^14. Each sample column of a strip of outputs keeps, for its m
// samples under the window, 16 counts by the place's top four bits and 16 segments of 16 counts by
// the next four: one sample out and one in at each level as the window moves down a row. The
// window moves right along the row: its first level by the column that enters and the one that
// leaves, at every output; the second level's segment that the rank falls in brought up to date
// from the columns passed since it was last kept, or taken anew from the window's n columns. That
// leaves a segment of 64 places, one of which is the output. Places being distinct, each lies at
// one sample: the bits of those 64 whose row and column fall in the window are found from a table
// of the places' positions, a few vector compares, and the output is the bit of the remaining
// rank. The table's positions are bytes, so a block is ranked in tiles of at most 255 by 255
// samples.
//
// Cost an output, whatever the places: a sample column's share of the updates (two samples at
// two levels, one vector each, for (cols + n - 1) / cols sample columns), the first level's move,
// at most n columns of one count segment, the 64 positions' compares and the selection of one set
// bit of 64; a tile's share of its table (two 16 KiB fills and one write a sample).
#ifndef PLORVENT_CORE_IMAGES_PLACE_BITSETS_H
#define PLORVENT_CORE_IMAGES_PLACE_BITSETS_H

#include <cstdint>

#include "core/images/image_block.h"

// Places are below this.
constexpr int32_t kMostPlaces = 1 << 14;
// A strip of outputs shares its sample columns' updates: so many outputs wide.
constexpr int64_t kPlaceStripCols = 64;

// Whether the engine takes this window: a full rectangle of at most 255 rows and 113 columns (a
// strip of at least 16 outputs within 128 sample columns) and a quarter of kMostPlaces samples.
bool place_bitset_serves(const ImageWindow *window);

// The work memory place_bitset_ranks needs, in bytes: 272 a sample column of a strip (at most
// 128), 32 KiB for the places' positions and 0.6 KiB for the window's: at most 67 KiB, whatever
// the block.
int64_t place_bitset_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of a block of uint16 places below kMostPlaces, no place twice; `work` holds
// place_bitset_work_bytes bytes.
void place_bitset_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
