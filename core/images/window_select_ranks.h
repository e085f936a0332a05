// The image engine that selects each window's rank afresh: its samples (plus their offsets, where
// the window adds them) keyed and selected by introselect, O(count) steps an output on average,
// O(count log count) at worst. It serves every block; it is the one that serves offsets, which
// depend on a sample's place in the window, so that nothing carries from one window to the next,
// and the fastest of the general engines for small windows.
#ifndef PLORVENT_CORE_IMAGES_WINDOW_SELECT_RANKS_H
#define PLORVENT_CORE_IMAGES_WINDOW_SELECT_RANKS_H

#include <cstddef>

#include "core/images/image_block.h"

size_t window_select_ranks_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block.
void window_select_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
