// The image rank engines against a brute-force sort of every window in the total order (-Inf <
// ... < -0 < +0 < ... < +Inf < NaN), bit for bit, at every vector width: every class an engine
// serves, samples dense in ties and the classes' extremes (NaN, infinities and signed zeros for
// floating point, neighbours beyond 2^53 for 64-bit integers), odd, even, 1-by-n and m-by-1
// windows, every rank of the smaller windows, blocks shorter and longer than a vector, and
// strides larger than the minimum, whose gaps must stay untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "core/images/column_histograms.h"
#include "core/images/high_byte_histograms.h"
#include "core/images/nibble_histograms.h"
#include "core/images/place_bitsets.h"
#include "core/images/ranked_sub_blocks.h"
#include "core/images/small_kernel_ranks.h"
#include "core/support/sample_key.h"
#include "test_support.h"

namespace {

struct Engine {
  const char *name;
  bool (*serves)(const ImageBlock *, const ImageWindow *);
  int64_t (*work_bytes)(const ImageBlock *, const ImageWindow *);
  void (*ranks)(const ImageBlock *, const ImageWindow *, void *);
  SampleType served;  // a class it serves
};

// Sub-blocks far smaller than the engine's own, for many seams between them.
const int32_t kSmallSubBlock = 1024;

int64_t small_sub_blocks_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  return ranked_sub_blocks_work_bytes(block, window, kSmallSubBlock);
}

void small_sub_blocks_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  ranked_sub_blocks_ranks(block, window, work, kSmallSubBlock);
}

bool small_sub_blocks_serve(const ImageBlock *block, const ImageWindow *window) {
  return ranked_sub_blocks_serves(block, window) &&
         4 * int64_t{window->rows} * window->cols <= kSmallSubBlock;
}

const Engine kEngines[] = {
    {"small_kernel", small_kernel_serves, small_kernel_work_bytes, small_kernel_ranks,
     kUint8Samples},
    {"column_histogram", column_histogram_serves, column_histogram_work_bytes,
     column_histogram_ranks, kUint8Samples},
    {"high_byte_histogram", high_byte_histogram_serves, high_byte_histogram_work_bytes,
     high_byte_histogram_ranks, kUint16Samples},
    {"ranked_sub_blocks", small_sub_blocks_serve, small_sub_blocks_work_bytes,
     small_sub_blocks_ranks, kDoubleSamples},
    {"nibble_histogram", nibble_histogram_serves, nibble_histogram_work_bytes,
     nibble_histogram_ranks, kUint16Samples},
};

// A NaN output is the block's own NaN, told apart from the samples' by its payload.
const double kBlockNaN = same_bits_as<double>(uint64_t{0x7FFC000000000000});

// Samples of class T: a few values repeated (ties) beside the class's extremes.
template <class T>
T draw_sample(Random &random) {
  const uint64_t r = random.next();
  if constexpr (std::is_floating_point<T>::value) {
    const T values[] = {std::numeric_limits<T>::quiet_NaN(),
                        -std::numeric_limits<T>::infinity(),
                        std::numeric_limits<T>::infinity(),
                        T(-0.0),
                        T(0.0),
                        T(1),
                        T(-2.5),
                        std::numeric_limits<T>::denorm_min()};
    if (r % 4 == 0) return values[(r >> 8) % 8];
    return static_cast<T>(static_cast<int>((r >> 16) % 41) - 20);
  } else {
    using limits = std::numeric_limits<T>;
    const T values[] = {limits::min(),
                        limits::max(),
                        static_cast<T>(limits::max() - 1),
                        static_cast<T>(limits::min() + 1),
                        T(0),
                        T(1)};
    if (r % 3 == 0) return values[(r >> 8) % 6];
    return static_cast<T>(r >> 20);  // spread over the class, wrapped
  }
}

template <class T>
bool total_less(T a, T b) {
  if constexpr (std::is_floating_point<T>::value) {
    if (a != a) return false;
    if (b != b) return true;
    if (a == b) return std::signbit(a) && !std::signbit(b);
  }
  return a < b;
}

// Every output by sorting its window.
template <class T>
std::vector<T> brute_force(const std::vector<T> &x, int64_t ld, int64_t rows, int64_t cols,
                           const ImageWindow &w) {
  std::vector<T> out(rows * cols), window;
  for (int64_t j = 0; j < cols; ++j) {
    for (int64_t i = 0; i < rows; ++i) {
      window.clear();
      for (int32_t c = 0; c < w.cols; ++c) {
        for (int32_t k = 0; k < w.rows; ++k) window.push_back(x[i + k + (j + c) * ld]);
      }
      std::sort(window.begin(), window.end(), total_less<T>);
      const T v = window[w.rank];
      out[i + j * rows] = v != v ? static_cast<T>(kBlockNaN) : v;
    }
  }
  return out;
}

struct Shape {
  int64_t rows, cols;
  int32_t m, n;
};

// Checks `engine` on class T (with `type`) over the shapes it serves, counting the calls served.
template <class T>
void check_engine(const Engine &engine, SampleType type, Random &random, int width, int &served) {
  const Shape shapes[] = {{70, 9, 3, 3},  {37, 6, 5, 5},  {5, 4, 3, 3},   {40, 3, 7, 7},
                          {33, 5, 1, 5},  {19, 4, 5, 1},  {34, 4, 2, 4},  {9, 3, 8, 8},
                          {66, 2, 1, 1},  {1, 7, 1, 3},   {65, 3, 4, 2},  {20, 2, 15, 15},
                          {12, 3, 31, 3}, {18, 2, 3, 31}, {70, 5, 9, 11}, {3, 40, 3, 3},
                          {67, 3, 4, 4},  {150, 5, 5, 5}, {140, 4, 7, 7}, {70, 3, 2, 2},
                          {66, 3, 1, 3},  {72, 3, 3, 1},  {68, 3, 3, 5},  {69, 3, 5, 3},
                          {34, 21, 3, 3}, {40, 11, 2, 2}, {36, 10, 1, 3}, {35, 9, 1, 5},
                          {33, 12, 5, 3}, {37, 13, 5, 5}, {40, 10, 7, 7}};
  for (const Shape &s : shapes) {
    const int64_t sample_rows = s.rows + s.m - 1, sample_cols = s.cols + s.n - 1;
    const int64_t ld = sample_rows + 3, out_ld = s.rows + 2;
    std::vector<T> x(ld * sample_cols);
    for (T &v : x) v = draw_sample<T>(random);
    if constexpr (std::is_same<T, uint8_t>::value) {
      if (type == kLogicalSamples) {
        for (T &v : x) v = static_cast<T>(v & 1);
      }
    }
    const int32_t count = s.m * s.n;
    std::vector<int32_t> ranks;
    for (int32_t r = 0; r < count; ++r) {
      if (count <= 25 || r == 0 || r == count / 2 || r == count - 1 || r % 37 == 5) {
        ranks.push_back(r);
      }
    }
    for (int32_t rank : ranks) {
      const ImageWindow w = {s.m, s.n, nullptr, count, rank, nullptr};
      const T sentinel = static_cast<T>(7);
      std::vector<T> out(out_ld * s.cols, sentinel);
      const ImageBlock block = {type, x.data(), ld, s.rows, s.cols, out.data(), out_ld, kBlockNaN};
      if (!engine.serves(&block, &w)) continue;
      ++served;
      std::vector<char> work(engine.work_bytes(&block, &w));
      engine.ranks(&block, &w, work.data());
      const std::vector<T> want = brute_force(x, ld, s.rows, s.cols, w);
      for (int64_t j = 0; j < s.cols; ++j) {
        for (int64_t i = 0; i < out_ld; ++i) {
          const T expected = i < s.rows ? want[i + j * s.rows] : sentinel;
          const T got = out[i + j * out_ld];
          ASSERT_EQ(0, std::memcmp(&expected, &got, sizeof got))
              << engine.name << " type " << type << " width " << width << " window " << s.m << "x"
              << s.n << " rank " << rank << " block " << s.rows << "x" << s.cols << " at " << i
              << "," << j << ": " << +expected << " wanted, " << +got << " given";
        }
      }
    }
  }
}

void check_every_class(const Engine &engine, bool expect_all) {
  Random random = {27};
  at_every_vector_width([&](int width) {
    int served = 0;
    check_engine<double>(engine, kDoubleSamples, random, width, served);
    check_engine<float>(engine, kSingleSamples, random, width, served);
    check_engine<int8_t>(engine, kInt8Samples, random, width, served);
    check_engine<uint8_t>(engine, kUint8Samples, random, width, served);
    check_engine<uint8_t>(engine, kLogicalSamples, random, width, served);
    check_engine<int16_t>(engine, kInt16Samples, random, width, served);
    check_engine<uint16_t>(engine, kUint16Samples, random, width, served);
    check_engine<int32_t>(engine, kInt32Samples, random, width, served);
    check_engine<uint32_t>(engine, kUint32Samples, random, width, served);
    check_engine<int64_t>(engine, kInt64Samples, random, width, served);
    check_engine<uint64_t>(engine, kUint64Samples, random, width, served);
    EXPECT_GT(served, expect_all ? 1000 : 100) << engine.name << " served too few calls";
  });
}

TEST(ImageEngines, SmallKernelsMatchASortOfEveryWindow) {
  check_every_class(kEngines[0], true);
}

TEST(ImageEngines, ColumnHistogramsMatchASortOfEveryWindow) {
  check_every_class(kEngines[1], false);
}

TEST(ImageEngines, HighByteHistogramsMatchASortOfEveryWindow) {
  check_every_class(kEngines[2], false);
}

TEST(ImageEngines, RankedSubBlocksMatchASortOfEveryWindow) {
  check_every_class(kEngines[3], false);
}

TEST(ImageEngines, NibbleHistogramsMatchASortOfEveryWindow) {
  check_every_class(kEngines[4], false);
}

// 16-bit samples whose ranks stay in two high bytes far apart (two levels, half the samples
// each) or take a new high byte at every output (a ramp across the columns, 300 a column), in
// windows wider than a byte's count and blocks wider or higher than a strip, in both 16-bit
// histogram engines and the ranked sub-blocks.
TEST(ImageEngines, SixteenBitEnginesFollowTwoLevelsAndRamps) {
  Random random = {16};
  const Shape shapes[] = {{9, 40, 31, 5}, {7, 30, 5, 31},  {4, 1030, 8, 12}, {20, 3, 80, 2},
                          {5, 3, 2, 300}, {150, 4, 17, 9}, {6, 70, 3, 100}};
  for (const Engine *engine : {&kEngines[2], &kEngines[3], &kEngines[4]})
    for (const Shape &s : shapes) {
      const int64_t ld = s.rows + s.m - 1, sample_cols = s.cols + s.n - 1;
      for (int image = 0; image < 3; ++image) {
        std::vector<uint16_t> x(ld * sample_cols);
        for (int64_t k = 0; k < ld * sample_cols; ++k) {
          const uint64_t r = random.next();
          x[k] = image == 0   ? static_cast<uint16_t>(r & 1 ? 65535 : 0)
                 : image == 1 ? static_cast<uint16_t>((k / ld) * 300 + (r & 7))
                              : static_cast<uint16_t>(r & 1 ? 0x8000 : 0x7FFF);
        }
        for (const SampleType type : {kUint16Samples, kInt16Samples}) {
          for (const int32_t rank : {0, s.m * s.n / 2, s.m * s.n - 1}) {
            const ImageWindow w = {s.m, s.n, nullptr, s.m * s.n, rank, nullptr};
            std::vector<uint16_t> out(s.rows * s.cols);
            const ImageBlock block = {type, x.data(), ld, s.rows, s.cols, out.data(), s.rows, 0};
            if (!engine->serves(&block, &w)) continue;
            std::vector<char> work(engine->work_bytes(&block, &w));
            engine->ranks(&block, &w, work.data());
            if (type == kUint16Samples) {
              EXPECT_EQ(brute_force(x, ld, s.rows, s.cols, w), out) << engine->name << " " << image;
            } else {
              const std::vector<int16_t> xs(x.begin(), x.end()), ys(out.begin(), out.end());
              EXPECT_EQ(brute_force(xs, ld, s.rows, s.cols, w), ys) << engine->name << " " << image;
            }
          }
        }
      }
    }
}

// Distinct places, up to the engine's most, in random order, ascending down the columns and
// descending: every level's bins, strips' and tiles' seams (blocks over 255 samples high or
// wide), and windows as wide as the engine takes.
TEST(ImageEngines, PlaceBitsetsMatchASortOfEveryWindow) {
  Random random = {64};
  const Shape shapes[] = {{100, 70, 15, 15}, {40, 150, 9, 5}, {20, 16, 3, 113}, {10, 90, 60, 40},
                          {240, 3, 4, 1},    {5, 130, 1, 7},  {292, 36, 9, 5},  {46, 296, 5, 5}};
  at_every_vector_width([&](int width) {
    for (const Shape &s : shapes) {
      const int64_t ld = s.rows + s.m - 1, count = ld * (s.cols + s.n - 1);
      ASSERT_LE(count, kMostPlaces);
      for (int order = 0; order < 3; ++order) {
        std::vector<uint16_t> x(count);
        for (int64_t k = 0; k < count; ++k)
          x[k] = static_cast<uint16_t>(order == 2 ? count - 1 - k : k);
        for (int64_t k = count - 1; order == 0 && k > 0; --k) {
          std::swap(x[k], x[random.next() % (k + 1)]);
        }
        for (const int32_t rank : {0, s.m * s.n / 2, s.m * s.n - 1}) {
          const ImageWindow w = {s.m, s.n, nullptr, s.m * s.n, rank, nullptr};
          ASSERT_TRUE(place_bitset_serves(&w));
          std::vector<uint16_t> out(s.rows * s.cols);
          const ImageBlock block = {kUint16Samples, x.data(),   ld,     s.rows,
                                    s.cols,         out.data(), s.rows, 0};
          std::vector<char> work(place_bitset_work_bytes(&block, &w));
          place_bitset_ranks(&block, &w, work.data());
          ASSERT_EQ(brute_force(x, ld, s.rows, s.cols, w), out)
              << "width " << width << " window " << s.m << "x" << s.n << " order " << order;
        }
      }
    }
  });
}

// The image job sizes the work memory for its tallest tile and runs shorter ones in it: a
// shorter block's sub-blocks are wider, and must still fit, their outputs those of the tallest.
TEST(ImageEngines, RankedSubBlocksOfShorterBlocksFitTheTallestOnesWork) {
  Random random = {41};
  const int64_t rows = 300, cols = 300;
  for (const int32_t m : {41, 150}) {
    const int32_t n = m == 41 ? 41 : 100;
    const int64_t ld = rows + m - 1;
    std::vector<double> x(ld * (cols + n - 1)), full(rows * cols);
    for (double &v : x) v = static_cast<double>(random.next() % 100000);
    const ImageWindow w = {m, n, nullptr, m * n, m * n / 2, nullptr};
    ImageBlock block = {kDoubleSamples, x.data(), ld, rows, cols, full.data(), rows, kBlockNaN};
    ASSERT_TRUE(ranked_sub_blocks_serves(&block, &w));
    const size_t bytes = static_cast<size_t>(ranked_sub_blocks_work_bytes(&block, &w));
    const size_t guard = 4096;
    std::vector<char> work(bytes + guard, 0x5A);
    ranked_sub_blocks_ranks(&block, &w, work.data());
    for (const int64_t shorter : {1, 7, 20, 151}) {
      std::vector<double> out(shorter * cols);
      block.rows = shorter;
      block.outputs = out.data();
      block.outputs_ld = shorter;
      ranked_sub_blocks_ranks(&block, &w, work.data());
      EXPECT_EQ(std::string(guard, 0x5A), std::string(work.end() - guard, work.end()))
          << m << "x" << n << " window, " << shorter << " rows";
      for (int64_t j = 0; j < cols; ++j) {
        for (int64_t i = 0; i < shorter; ++i) ASSERT_EQ(full[i + j * rows], out[i + j * shorter]);
      }
    }
  }
}

// What each engine takes: full rectangles only, the histograms only the classes of their widths,
// the ranked sub-blocks no offsets, and 16-bit classes only in windows beyond the networks.
TEST(ImageEngines, ServeFullRectanglesOnly) {
  const uint8_t domain[9] = {1, 1, 1, 1, 0, 1, 1, 1, 1};
  double sample = 0, output = 0;
  ImageBlock block = {kUint8Samples, &sample, 3, 1, 1, &output, 1, kBlockNaN};
  const ImageWindow with_domain = {3, 3, domain, 8, 4, nullptr},
                    full = {3, 3, nullptr, 9, 4, nullptr};
  for (const Engine &engine : kEngines) {
    block.type = engine.served;
    EXPECT_FALSE(engine.serves(&block, &with_domain)) << engine.name;
    EXPECT_TRUE(engine.serves(&block, &full)) << engine.name;
  }
  const double offsets[9] = {};
  const ImageWindow with_offsets = {3, 3, nullptr, 9, 4, offsets};
  EXPECT_FALSE(ranked_sub_blocks_serves(&block, &with_offsets));
  block.type = kUint16Samples;
  EXPECT_FALSE(ranked_sub_blocks_serves(&block, &full));
  const ImageWindow beyond_networks = {9, 9, nullptr, 81, 40, nullptr};
  EXPECT_TRUE(ranked_sub_blocks_serves(&block, &beyond_networks));
  block.type = kDoubleSamples;
  EXPECT_FALSE(column_histogram_serves(&block, &full));
  EXPECT_FALSE(high_byte_histogram_serves(&block, &full));
  block.type = kUint8Samples;
  EXPECT_FALSE(high_byte_histogram_serves(&block, &full));
  const ImageWindow too_large = {9, 9, nullptr, 81, 40, nullptr};
  EXPECT_FALSE(small_kernel_serves(&block, &too_large));
}

}  // namespace
