// The lowest and highest set bit of a 64-bit word, with each compiler's own instruction: GCC's
// and clang's builtins, MSVC's bit-scan intrinsics; elsewhere a plain loop.
#ifndef PLORVENT_CORE_SUPPORT_BIT_SCAN_H
#define PLORVENT_CORE_SUPPORT_BIT_SCAN_H

#include <cstdint>

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

// For compilers with neither (and for tests).
inline int lowest_bit_by_loop(uint64_t word) {
  int bit = 0;
  while (!(word >> bit & 1)) ++bit;
  return bit;
}

inline int highest_bit_by_loop(uint64_t word) {
  int bit = 63;
  while (!(word >> bit & 1)) --bit;
  return bit;
}

// word != 0.
inline int lowest_bit(uint64_t word) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctzll(word);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_ARM64))
  unsigned long bit;
  _BitScanForward64(&bit, word);
  return static_cast<int>(bit);
#else
  return lowest_bit_by_loop(word);
#endif
}

// word != 0.
inline int highest_bit(uint64_t word) {
#if defined(__GNUC__) || defined(__clang__)
  return 63 - __builtin_clzll(word);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_ARM64))
  unsigned long bit;
  _BitScanReverse64(&bit, word);
  return static_cast<int>(bit);
#else
  return highest_bit_by_loop(word);
#endif
}

#endif
