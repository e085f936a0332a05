// The general engine of the image rank filters: any window shape, any domain, any rank, any
// class. The samples of a block are ranked once (a sort of their keys); then each column of
// outputs slides a set of those ranks down the block, a row at a time: each vertical run of the
// domain loses its top sample and gains the one below its bottom, and a cursor at the wanted
// rank moves across the few ranks that changed. An output costs O(R) set updates and cursor
// steps, R the domain's vertical runs (n for an m-by-n rectangle), each a few word scans
// (O(log64 of the block's samples)), plus its share of the block's sort, whatever the samples.
#ifndef PLORVENT_CORE_IMAGES_SLIDING_DOMAIN_RANKS_H
#define PLORVENT_CORE_IMAGES_SLIDING_DOMAIN_RANKS_H

#include <cstddef>

#include "core/images/image_block.h"

// The work memory the engine needs for a block and window (without offsets).
size_t sliding_domain_ranks_work_bytes(const ImageBlock *block, const ImageWindow *window);

// Every output of the block, in `work` (aligned for any type) of the size above.
void sliding_domain_ranks(const ImageBlock *block, const ImageWindow *window, void *work);

#endif
