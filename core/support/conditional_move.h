// Choices between two values made without a branch. Where a choice follows the signal, a branch
// mispredicts about as often as the signal is random, and each misprediction costs the work of
// a whole step; yet GCC turns a plain ?: into a branch whenever it judges one cheaper. With GCC
// and clang on x86-64 and aarch64 each choice is therefore spelled as the processor's
// conditional move; other compilers are left to make their own.
#ifndef PLORVENT_CORE_SUPPORT_CONDITIONAL_MOVE_H
#define PLORVENT_CORE_SUPPORT_CONDITIONAL_MOVE_H

#include <cstdint>

#include "core/support/vector_lanes.h"

#if defined(__GNUC__) && defined(__x86_64__)

// u > v ? x : y
PLORVENT_INLINE uint32_t pick_if_greater(int64_t u, int64_t v, uint32_t x, uint32_t y) {
  __asm__("cmpq %2, %1\n\tcmovg %3, %0" : "+r"(y) : "r"(u), "r"(v), "r"(x) : "cc");
  return y;
}
// u < v ? x : y
PLORVENT_INLINE uint32_t pick_if_below(uint32_t u, uint32_t v, uint32_t x, uint32_t y) {
  __asm__("cmpl %2, %1\n\tcmovb %3, %0" : "+r"(y) : "r"(u), "r"(v), "r"(x) : "cc");
  return y;
}
// u == v ? x : y
PLORVENT_INLINE uint32_t pick_if_equal(uint32_t u, uint32_t v, uint32_t x, uint32_t y) {
  __asm__("cmpl %2, %1\n\tcmove %3, %0" : "+r"(y) : "r"(u), "r"(v), "r"(x) : "cc");
  return y;
}
PLORVENT_INLINE int64_t least_of(int64_t u, int64_t v) {
  __asm__("cmpq %1, %0\n\tcmovg %1, %0" : "+r"(u) : "r"(v) : "cc");
  return u;
}

#elif defined(__GNUC__) && defined(__aarch64__)

PLORVENT_INLINE uint32_t pick_if_greater(int64_t u, int64_t v, uint32_t x, uint32_t y) {
  __asm__("cmp %x1, %x2\n\tcsel %w0, %w3, %w0, gt" : "+r"(y) : "r"(u), "r"(v), "r"(x) : "cc");
  return y;
}
PLORVENT_INLINE uint32_t pick_if_below(uint32_t u, uint32_t v, uint32_t x, uint32_t y) {
  __asm__("cmp %w1, %w2\n\tcsel %w0, %w3, %w0, lo" : "+r"(y) : "r"(u), "r"(v), "r"(x) : "cc");
  return y;
}
PLORVENT_INLINE uint32_t pick_if_equal(uint32_t u, uint32_t v, uint32_t x, uint32_t y) {
  __asm__("cmp %w1, %w2\n\tcsel %w0, %w3, %w0, eq" : "+r"(y) : "r"(u), "r"(v), "r"(x) : "cc");
  return y;
}
PLORVENT_INLINE int64_t least_of(int64_t u, int64_t v) {
  __asm__("cmp %x0, %x1\n\tcsel %x0, %x1, %x0, gt" : "+r"(u) : "r"(v) : "cc");
  return u;
}

#else

PLORVENT_INLINE uint32_t pick_if_greater(int64_t u, int64_t v, uint32_t x, uint32_t y) {
  return u > v ? x : y;
}
PLORVENT_INLINE uint32_t pick_if_below(uint32_t u, uint32_t v, uint32_t x, uint32_t y) {
  return u < v ? x : y;
}
PLORVENT_INLINE uint32_t pick_if_equal(uint32_t u, uint32_t v, uint32_t x, uint32_t y) {
  return u == v ? x : y;
}
PLORVENT_INLINE int64_t least_of(int64_t u, int64_t v) {
  return v < u ? v : u;
}

#endif

#endif
