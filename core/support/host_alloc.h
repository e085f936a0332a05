// The host's allocator, the only part of the host interface the numerical core uses.
// Declared here with the host's published signatures so the core needs no host header.
#ifndef PLORVENT_CORE_SUPPORT_HOST_ALLOC_H
#define PLORVENT_CORE_SUPPORT_HOST_ALLOC_H

#include <cstddef>

extern "C" {
// Zero-filled storage for n elements of `size` bytes each.
void *mxCalloc(size_t n, size_t size);
// Gives back storage obtained from mxCalloc.
void mxFree(void *ptr);
}

#endif
