// The core's only host calls, served by the C library for the programs in bench/ that run the
// core without a host or the stand-in's bookkeeping. Include it in one source of a program.
#ifndef PLORVENT_BENCH_PLAIN_ALLOCATOR_H
#define PLORVENT_BENCH_PLAIN_ALLOCATOR_H

#include <cstdlib>

extern "C" {
void *mxCalloc(size_t n, size_t size) {
  return std::calloc(n ? n : 1, size ? size : 1);
}
void mxFree(void *ptr) {
  std::free(ptr);
}
}

#endif
