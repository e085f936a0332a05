// The lowest and highest set bit of a 64-bit word, with each compiler's own instruction: GCC's
// and clang's builtins, MSVC's bit-scan intrinsics; elsewhere a plain loop. Also the count of its
// set bits, and where its k-th one lies.
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

// The number of set bits of a word: the processor's instruction where the compiler may assume
// one, else by adding bits in parallel (no x86-64 processor is assumed to count bits itself).
inline int bit_count(uint64_t word) {
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__POPCNT__) || defined(__aarch64__))
  return __builtin_popcountll(word);
#else
  word = word - ((word >> 1) & 0x5555555555555555u);
  word = (word & 0x3333333333333333u) + ((word >> 2) & 0x3333333333333333u);
  word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((word * 0x0101010101010101u) >> 56);
#endif
}

// The position of set bit k (0: the lowest) of a word holding more than k set bits, found by
// halving: six counts.
inline int kth_bit(uint64_t word, int k) {
  int position = 0;
  for (int half = 32; half > 0; half >>= 1) {
    const int below = bit_count(word & ((uint64_t{1} << half) - 1));
    if (k >= below) {
      k -= below;
      word >>= half;
      position += half;
    }
  }
  return position;
}

#endif
