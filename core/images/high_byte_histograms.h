// Ranks of 16-bit samples over large full rectangles by sliding histograms, in four levels of
// 16 bins, each a nibble of the sample's order key. Each sample column of a strip keeps the
// histogram of its m samples' high bytes under the window (16 coarse bins of 16), updated by one
// sample out and one in as the window moves down a row; the window's high-byte histogram moves
// right along the row by adding the column that enters and taking away the one that leaves: its
// coarse bins for every output, a segment of 16 high-byte bins only when the rank falls in it
// (brought up to date from the columns passed since it was last kept). Below the high byte, the
// window counts its samples' keys by their top 12 bits and whole, the m samples of the column
// that leaves taken away and those of the one that enters added at every output, so that the
// rank's last two nibbles are each one search of 16 bins.
//
// Cost an output, whatever the samples: 4 * m count updates (two columns of m samples, two
// counts each), four searches of at most 16 bins, the window's 16 coarse counts, a row's share
// of the column histograms (two samples a column), a row's share of filling and emptying the
// window's key counts (2 * m * n updates a row of up to 1024 outputs), and the rank's high-byte
// segment brought up to date by at most min(2 * g, n) columns of 16 counts (g the columns passed
// since it was kept): O(m + n) an output, with no image that does worse (the adversarial two
// levels included: their keys fall in a few bins, whose counts the updates share).
#ifndef PLORVENT_CORE_IMAGES_HIGH_BYTE_HISTOGRAMS_H
#define PLORVENT_CORE_IMAGES_HIGH_BYTE_HISTOGRAMS_H

#include <cstdint>

#include "core/images/image_block.h"

// Whether the engine takes this call: a full rectangle of uint16 or int16 samples of at most 255
// rows (the columns' counts are one byte) and 65535 samples (the window's are 16 bits).
bool high_byte_histogram_serves(const ImageBlock *block, const ImageWindow *window);

// The work memory high_byte_histogram_ranks needs, in bytes (any alignment): 136 KiB for the
// window's key counts and 272 bytes a sample column of a strip, at most 1024 outputs and the
// window's n - 1 columns wide (under 0.5 MiB up to n = 390); bounded by the window's width, not
// the block's.
int64_t high_byte_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block; `work` holds high_byte_histogram_work_bytes bytes.
void high_byte_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
