// The processor check, the bit scans and the NaN/zero scan at every vector width: the parts the
// kernels of each instruction set stand on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/support/bit_scan.h"
#include "core/support/nan_and_zeros.h"
#include "core/support/vector_width.h"

namespace {

// CPUID and XCR0 bits (see vector_width.cpp).
const uint32_t kOsXsaveBit = 1u << 27, kAvxBit = 1u << 28, kAvx2Bit = 1u << 5,
               kAvx512Bit = 1u << 16;
const uint64_t kSseYmm = 0x6, kZmm = 0xE0;

TEST(VectorWidth, CountsOnlyTheRegistersTheOsSaves) {
  const uint32_t avx_ecx = kOsXsaveBit | kAvxBit, all_ebx = kAvx2Bit | kAvx512Bit;
  EXPECT_EQ(x86_vector_width({avx_ecx, all_ebx, kSseYmm | kZmm}), kAvx512);
  EXPECT_EQ(x86_vector_width({avx_ecx, kAvx2Bit, kSseYmm | kZmm}), kAvx2);
  // AVX-512 without the OS saving the mask and upper ZMM registers: AVX2 only.
  EXPECT_EQ(x86_vector_width({avx_ecx, all_ebx, kSseYmm | 0x20}), kAvx2);
  EXPECT_EQ(x86_vector_width({avx_ecx, all_ebx, kSseYmm}), kAvx2);
  // No YMM state saved, no XGETBV, or no AVX: SSE2 whatever else is reported.
  EXPECT_EQ(x86_vector_width({avx_ecx, all_ebx, 0x2 | kZmm}), kSse2);
  EXPECT_EQ(x86_vector_width({kAvxBit, all_ebx, 0}), kSse2);
  EXPECT_EQ(x86_vector_width({kOsXsaveBit, all_ebx, kSseYmm | kZmm}), kSse2);
}

// What the kernels run on this machine, as the compiler's own processor check sees it.
TEST(VectorWidth, FindsWhatTheProcessorHas) {
  limit_vector_width(kAvx512);
#if defined(__x86_64__) && defined(__GNUC__)
  __builtin_cpu_init();
  const VectorWidth expected = __builtin_cpu_supports("avx512f") ? kAvx512
                               : __builtin_cpu_supports("avx2")  ? kAvx2
                                                                 : kSse2;
  EXPECT_EQ(usable_vector_width(), expected);
#elif defined(__aarch64__)
  EXPECT_EQ(usable_vector_width(), kNeon);
#endif
  limit_vector_width(kScalar);
  EXPECT_EQ(usable_vector_width(), kScalar);
  limit_vector_width(kAvx512);
}

// The compiler's instruction and the plain loop agree on lone bits (whose answer is known) and
// on random words.
TEST(BitScan, FindsTheLowestAndHighestBit) {
  for (int b = 0; b < 64; ++b) {
    const uint64_t w = uint64_t{1} << b;
    EXPECT_EQ(lowest_bit(w), b);
    EXPECT_EQ(highest_bit(w), b);
    EXPECT_EQ(lowest_bit_by_loop(w), b);
    EXPECT_EQ(highest_bit_by_loop(w), b);
  }
  std::mt19937_64 rng(7);
  for (int i = 0; i < 1000; ++i) {
    const uint64_t w = rng() >> (rng() % 64) << (rng() % 64);
    if (w == 0) continue;
    EXPECT_EQ(lowest_bit(w), lowest_bit_by_loop(w)) << std::hex << w;
    EXPECT_EQ(highest_bit(w), highest_bit_by_loop(w)) << std::hex << w;
  }
}

// The k-th set bit against a walk over the bits, for every k of dense, sparse and edge words.
TEST(BitScan, FindsTheKthSetBit) {
  std::mt19937_64 rng(11);
  std::vector<uint64_t> words = {~uint64_t{0}, uint64_t{1} << 63, 1, 0x8000000000000001u,
                                 0xFF00000000000000u};
  for (int i = 0; i < 2000; ++i) words.push_back(i % 2 ? rng() : rng() & rng() & rng());
  for (const uint64_t w : words) {
    int k = 0;
    for (int bit = 0; bit < 64; ++bit) {
      if (w >> bit & 1) {
        EXPECT_EQ(kth_bit(w, k++), bit) << std::hex << w;
      }
    }
  }
}

// One NaN or zero of either sign at every position of spans of every length up to a few
// vectors, among every kind of ordinary sample, at every width: each lane, each half of a step
// and the scalar tail must see it, and nothing else must look special.
TEST(SpecialValues, ScanFindsALoneNanOrZeroAnywhereAtEveryVectorWidth) {
  const double inf = std::numeric_limits<double>::infinity();
  const double specials[] = {std::numeric_limits<double>::quiet_NaN(), 0.0, -0.0};
  const double ordinary[] = {1.5,
                             -inf,
                             inf,
                             std::numeric_limits<double>::denorm_min(),
                             -std::numeric_limits<double>::max(),
                             -2.0};
  limit_vector_width(kAvx512);
  const VectorWidth widest = usable_vector_width();
  for (int width = kScalar; width <= widest; ++width) {
    limit_vector_width(static_cast<VectorWidth>(width));
    for (int64_t count = 0; count <= 40; ++count) {
      std::vector<double> v(count + 1);
      for (int64_t i = 0; i < count; ++i) v[i] = ordinary[i % 6];
      v[count] = 0.0;  // just past the span: must not be read
      ASSERT_TRUE(holds_no_nan_or_zero(v.data(), count)) << "width " << width;
      for (int64_t at = 0; at < count; ++at) {
        for (double special : specials) {
          v[at] = special;
          ASSERT_FALSE(holds_no_nan_or_zero(v.data(), count))
              << "width " << width << " count " << count << " at " << at;
          ASSERT_EQ(next_nan(v.data(), 0, count), std::isnan(special) ? at : count)
              << "width " << width << " count " << count << " at " << at;
          SpecialsSeen seen = no_specials_seen();
          note_specials(seen, v.data(), count);
          ASSERT_EQ(seen.nan, std::isnan(special));
          ASSERT_EQ(seen.negative_zero, special == 0 && std::signbit(special));
          ASSERT_EQ(seen.positive_zero, special == 0 && !std::signbit(special));
          // The same samples in single precision (where a double's tiny value stays nonzero).
          std::vector<float> single(count);
          for (int64_t i = 0; i < count; ++i) {
            const float f = static_cast<float>(v[i]);
            single[i] = f == 0 && v[i] != 0 ? std::numeric_limits<float>::denorm_min() : f;
          }
          SpecialsSeen seen_single = no_specials_seen();
          note_specials(seen_single, single.data(), count);
          ASSERT_EQ(seen_single.nan, seen.nan) << "single, count " << count << " at " << at;
          ASSERT_EQ(seen_single.negative_zero, seen.negative_zero) << "single, at " << at;
          ASSERT_EQ(seen_single.positive_zero, seen.positive_zero) << "single, at " << at;
        }
        v[at] = ordinary[at % 6];
      }
    }
  }
  limit_vector_width(kAvx512);
}

// next_nan over spans of several chunks: the first NaN from where it starts, wherever it stands.
TEST(SpecialValues, NextNanFindsTheFirstNanFromAnyStartAtEveryVectorWidth) {
  limit_vector_width(kAvx512);
  const VectorWidth widest = usable_vector_width();
  std::vector<double> v(1000, -0.0);
  for (int64_t at : {3, 255, 256, 511, 700}) v[at] = std::numeric_limits<double>::quiet_NaN();
  for (int width = kScalar; width <= widest; ++width) {
    limit_vector_width(static_cast<VectorWidth>(width));
    for (int64_t t : {0, 4, 256, 257, 512, 701}) {
      const int64_t want = t <= 3     ? 3
                           : t <= 255 ? 255
                           : t <= 256 ? 256
                           : t <= 511 ? 511
                           : t <= 700 ? 700
                                      : 1000;
      ASSERT_EQ(next_nan(v.data(), t, 1000), want) << "width " << width << " from " << t;
    }
    ASSERT_EQ(next_nan(v.data(), 4, 255), 255);
  }
  limit_vector_width(kAvx512);
}

}  // namespace
