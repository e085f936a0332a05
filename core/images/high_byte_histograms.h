// Ranks of 16-bit samples over large full rectangles by sliding histograms of the samples' high
// byte, with the low byte counted from the samples themselves. Each sample column of a strip
// keeps the histogram of its m samples' high bytes under the window, in two levels (16 coarse
// bins of 16), updated by one sample out and one in as the window moves down a row; the window's
// histogram moves right along the row by adding the column that enters and taking away the one
// that leaves: its coarse bins for every output, a segment of 16 high-byte bins only when the
// rank falls in it. The rank's high byte h found, the window's 256 low-byte bins of h (again in
// two levels) are brought up to date from the samples of the columns passed since they were last
// kept on this row, or counted anew from the window's samples.
//
// Cost an output: the window's coarse bins (16 counts), four searches of at most 16 bins, the
// high-byte segment brought up to date by at most min(2 * g, n) columns of 16 counts (g the
// columns passed since it was kept), a row's share of the column histograms (two samples a
// column), and the low-byte bins of the rank's high byte h brought up to date: min(2 * g, n)
// columns, of which only those whose counts hold h are read, m samples each at most. At worst
// (the rank's high byte new at every output, a ramp steeper than 256 a column, or half the
// window's samples of each of two high bytes that the rank takes in turn) that is O(m * n)
// samples an output; noise and smooth images keep the rank among a few high bytes, whose
// columns hold few of the window's samples.
#ifndef PLORVENT_CORE_IMAGES_HIGH_BYTE_HISTOGRAMS_H
#define PLORVENT_CORE_IMAGES_HIGH_BYTE_HISTOGRAMS_H

#include <cstdint>

#include "core/images/image_block.h"

// Whether the engine takes this call: a full rectangle of uint16 or int16 samples of at most 255
// rows (the columns' counts are one byte) and 65535 samples (the window's are 16 bits).
bool high_byte_histogram_serves(const ImageBlock *block, const ImageWindow *window);

// The work memory high_byte_histogram_ranks needs, in bytes (any alignment): 272 bytes a sample
// column of a strip of at most 1024 outputs wide, and 140 KiB for the window's low-byte bins;
// bounded by the window's width, not the block's.
int64_t high_byte_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block; `work` holds high_byte_histogram_work_bytes bytes.
void high_byte_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
