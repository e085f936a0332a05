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

// The number of set bits of each byte of a word, in that byte, by adding bits in parallel.
inline uint64_t byte_bit_counts(uint64_t word) {
  word = word - ((word >> 1) & 0x5555555555555555u);
  word = (word & 0x3333333333333333u) + ((word >> 2) & 0x3333333333333333u);
  return (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
}

// The number of set bits of a word: the processor's instruction where the compiler may assume
// one, else the bytes' counts added (no x86-64 processor is assumed to count bits itself).
inline int bit_count(uint64_t word) {
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__POPCNT__) || defined(__aarch64__))
  return __builtin_popcountll(word);
#else
  return static_cast<int>((byte_bit_counts(word) * 0x0101010101010101u) >> 56);
#endif
}

// Where the k-th set bit (0: the lowest) of each byte value lies.
struct BitsInBytes {
  uint8_t at[256][8];
};
constexpr BitsInBytes bits_in_bytes() {
  BitsInBytes t = {};
  for (int value = 0; value < 256; ++value) {
    int k = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (value >> bit & 1) t.at[value][k++] = static_cast<uint8_t>(bit);
    }
  }
  return t;
}
inline constexpr BitsInBytes kBitsInBytes = bits_in_bytes();

// The position of set bit k (0: the lowest) of a word holding more than k set bits, without a
// branch (a search by halving mispredicts about half its steps): the running count of set bits
// to the end of each byte, in that byte (at most 64, so no byte carries into the next); the bytes
// whose running count is at most k, which lie wholly before the bit; then the bit within its byte.
inline int kth_bit(uint64_t word, int k) {
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  const uint64_t s = byte_bit_counts(word) * kOnes;
  const uint64_t before_k = ((static_cast<uint64_t>(k) * kOnes | kHighs) - s) & kHighs;
  const int byte = static_cast<int>(((before_k >> 7) * kOnes) >> 56);
  const int counted = static_cast<int>((s << 8) >> (8 * byte) & 0xFF);
  return 8 * byte + kBitsInBytes.at[(word >> (8 * byte)) & 0xFF][k - counted];
}

#endif
