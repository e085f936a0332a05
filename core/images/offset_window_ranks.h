// Image rank filters whose window adds offsets to its samples before ranking them: a sample's
// offset depends on its place in the window, so nothing carries from one window to the next.
// Each window's sums are keyed and selected afresh (introselect): O(count) steps an output on
// average, O(count log count) at worst.
#ifndef PLORVENT_CORE_IMAGES_OFFSET_WINDOW_RANKS_H
#define PLORVENT_CORE_IMAGES_OFFSET_WINDOW_RANKS_H

#include <cstddef>

#include "core/images/image_block.h"

size_t offset_window_ranks_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block; window->offsets is not null.
void offset_window_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
