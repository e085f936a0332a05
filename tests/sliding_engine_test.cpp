// Every engine against the per-window reference, bit for bit, on adversarial data: NaN runs,
// mixes of signed zeros, infinities, ties, subnormals, sorted, reversed and sawtooth signals,
// for signals shorter and longer than the window and extensions of exactly W2 samples.
#include <gtest/gtest.h>

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "core/engines/block_sort_medians.h"
#include "core/engines/inexact_windows.h"
#include "core/engines/network_medians.h"
#include "core/running_median.h"
#include "core/selection/per_window_medians.h"
#include "core/support/sample_key.h"
#include "standin_host.h"
#include "test_support.h"

namespace {

using Generator = std::function<double(std::mt19937_64 &, int64_t)>;

const double kSubnormal = std::numeric_limits<double>::denorm_min();

double pick(std::mt19937_64 &rng, std::initializer_list<double> values) {
  return values.begin()[rng() % values.size()];
}

const std::vector<std::pair<const char *, Generator>> &generators() {
  static const std::vector<std::pair<const char *, Generator>> all = {
      {"uniform", [](std::mt19937_64 &r, int64_t) { return std::ldexp(double(r() >> 11), -53); }},
      {"ties", [](std::mt19937_64 &r, int64_t) { return double(r() % 3); }},
      {"signed zeros",
       [](std::mt19937_64 &r, int64_t) {
         return pick(r, {0.0, -0.0, 0.0, 1.0, -1.0});
       }},
      {"zeros only",
       [](std::mt19937_64 &r, int64_t) {
         return pick(r, {0.0, -0.0});
       }},
      {"nan runs",
       [](std::mt19937_64 &r, int64_t t) { return (t / 7) % 5 == 0 ? kNaN : double(r() % 100); }},
      {"specials",
       [](std::mt19937_64 &r, int64_t) {
         return pick(r, {kNaN, -kNaN, kInf, -kInf, 0.0, -0.0, kSubnormal, -kSubnormal,
                         std::numeric_limits<double>::max(), -1.5, 2.5});
       }},
      {"finite extremes",
       [](std::mt19937_64 &r, int64_t) {
         return pick(r, {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                         1e-300, -1e-300, kSubnormal, 1.0});
       }},
      {"lone specials",  // a NaN or a zero among ordinary samples, now and then
       [](std::mt19937_64 &r, int64_t t) {
         return t % 11 == 5 ? pick(r, {0.0, -0.0, kNaN}) : double(1 + r() % 3);
       }},
      {"sorted", [](std::mt19937_64 &, int64_t t) { return double(t); }},
      {"reversed", [](std::mt19937_64 &, int64_t t) { return double(-t); }},
      {"sawtooth", [](std::mt19937_64 &, int64_t t) { return double(t % 13) - 6.0; }},
  };
  return all;
}

struct Case {
  std::vector<double> x, xic, xfc;
  int32_t W2;
};

Case make_case(const Generator &g, std::mt19937_64 &rng, int64_t n, int32_t W2) {
  Case c{{}, {}, {}, W2};
  for (int64_t t = 0; t < W2; ++t) c.xic.push_back(g(rng, t));
  for (int64_t t = 0; t < n; ++t) c.x.push_back(g(rng, W2 + t));
  for (int64_t t = 0; t < W2; ++t) c.xfc.push_back(g(rng, W2 + n + t));
  return c;
}

std::vector<double> reference(const Case &c) {
  std::vector<double> out(c.x.size());
  running_median_per_window(c.x.data(), out.data(), c.xic.data(), c.xfc.data(),
                            static_cast<int32_t>(c.x.size()), 2 * c.W2 + 1, c.W2);
  return out;
}

// The reference with zeros by count: a zero median of a window free of NaN is -0.0 when the
// window's zeros are all -0.0, +0.0 otherwise.
std::vector<double> with_zeros_by_count(const Case &c, std::vector<double> out) {
  const int64_t n = static_cast<int64_t>(c.x.size());
  auto at = [&](int64_t t) { return t < 0 ? c.xic[t + c.W2] : t < n ? c.x[t] : c.xfc[t - n]; };
  for (int64_t i = 0; i < n; ++i) {
    bool nan = false, negative = false, positive = false;
    for (int64_t t = i - c.W2; t <= i + c.W2; ++t) {
      nan = nan || std::isnan(at(t));
      negative = negative || (at(t) == 0 && std::signbit(at(t)));
      positive = positive || (at(t) == 0 && !std::signbit(at(t)));
    }
    if (!nan && out[i] == 0) out[i] = negative && !positive ? -0.0 : 0.0;
  }
  return out;
}

using Engine = void (*)(const ExtendedSignal &, int32_t, int64_t, int64_t, double *, void *);
using StorageBytes = size_t (*)(int32_t);

// One engine followed by the patch of undecidable windows, on exact-size inputs.
std::vector<double> run_engine(Engine engine, StorageBytes bytes, const Case &c) {
  auto px = exact_copy(c.x), pic = exact_copy(c.xic), pfc = exact_copy(c.xfc);
  const int32_t W = 2 * c.W2 + 1;
  const int64_t n = static_cast<int64_t>(c.x.size());
  const ExtendedSignal e = with_extension_arrays(px.get(), pic.get(), pfc.get(), n, c.W2);
  std::vector<double> out(c.x.size());
  std::vector<char> storage(bytes(W));
  std::vector<double> window(W);
  engine(e, W, 0, n, out.data(), storage.data());
  patch_inexact_windows(e, W, 0, n, kZerosAsSelected, out.data(), window.data());
  return out;
}

void expect_engine_matches(const char *name, Engine engine, StorageBytes bytes,
                           std::vector<int32_t> half_widths) {
  std::mt19937_64 rng(1406);
  for (const auto &[generator_name, g] : generators()) {
    for (int32_t W2 : half_widths) {
      const int64_t W = 2 * W2 + 1;
      for (int64_t n :
           {int64_t{1}, int64_t{W2 / 2 + 1}, W - 1, W, W + 1, W + 6, W + 16, 3 * W + 7}) {
        const Case c = make_case(g, rng, n, W2);
        ASSERT_TRUE(same_bits(run_engine(engine, bytes, c), reference(c)))
            << name << " on " << generator_name << ", n=" << n << " W2=" << W2;
      }
    }
  }
}

// The network, checking what it tells of the samples it read: true when none is a NaN or a zero.
void network_telling_its_samples(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                                 double *out, void *storage) {
  const bool ordinary = network_medians(e, W, first, last, out, storage);
  bool expected = true;
  for (int64_t t = first - e.W2; t < last + e.W2; ++t) {
    const double v = extended_at(e, t);
    expected = expected && v == v && v != 0;
  }
  EXPECT_EQ(ordinary, expected) << "W=" << W << " n=" << e.n;
}

// Every window length a network is compiled for, with each vector width the processor has in
// turn (the narrower kernels also finish every run the wider ones leave).
TEST(SlidingEngines, SelectionNetworkMatchesPerWindowAtEveryVectorWidth) {
  at_every_vector_width([](int) {
    std::vector<int32_t> half_widths;
    for (int32_t W2 = 1; 2 * W2 + 1 <= longest_network_window(); ++W2) half_widths.push_back(W2);
    expect_engine_matches("network", network_telling_its_samples, network_storage_bytes,
                          half_widths);
  });
}

TEST(SlidingEngines, BlockSortMatchesPerWindow) {
  expect_engine_matches("block sort", block_sort_medians, block_sort_storage_bytes,
                        {1, 2, 3, 4, 5, 8, 12, 23, 40, 77});
}

// Many blocks in a row: every block boundary hands B over as A with its cursor.
TEST(SlidingEngines, BlockSortMatchesPerWindowOnLongSignals) {
  std::mt19937_64 rng(17);
  for (size_t g : {size_t{0}, size_t{1}, size_t{2}, size_t{5}, size_t{6}}) {
    for (int32_t W2 : {13, 60, 700}) {
      const Case c = make_case(generators()[g].second, rng, 20000, W2);
      ASSERT_TRUE(
          same_bits(run_engine(block_sort_medians, block_sort_storage_bytes, c), reference(c)))
          << generators()[g].first << " W2=" << W2;
    }
  }
}

// The NaNs whose keys are the lowest and highest there are, dense among few values: the
// windows holding them are selected again, but the engine's split must come through them
// intact for the windows after.
TEST(SlidingEngines, BlockSortKeepsItsSplitThroughTheExtremeNaNs) {
  std::mt19937_64 rng(3);
  const Generator extreme_nans = [](std::mt19937_64 &r, int64_t) {
    return pick(r, {same_bits_as<double>(~uint64_t{0}), same_bits_as<double>(~uint64_t{0} >> 1),
                    0.0, 1.0, 2.0, 3.0});
  };
  for (int repeat = 0; repeat < 400; ++repeat) {
    const int32_t W2 = 1 + static_cast<int32_t>(rng() % 3);
    const Case c = make_case(extreme_nans, rng, 2 * W2 + 1 + static_cast<int64_t>(rng() % 40), W2);
    ASSERT_TRUE(
        same_bits(run_engine(block_sort_medians, block_sort_storage_bytes, c), reference(c)))
        << "W2=" << W2 << " n=" << c.x.size();
  }
}

// The dispatching driver, for every half-width up to past its switch between engines and for
// every short signal length, on the most hostile generator.
TEST(SlidingEngines, DriverMatchesPerWindowForEverySmallSize) {
  std::mt19937_64 rng(2014);
  const Generator &specials = generators()[5].second;
  const Generator &zeros = generators()[2].second;
  const Generator &nan_runs = generators()[4].second;
  for (int32_t W2 = 0; W2 <= 32; ++W2) {
    for (int64_t n = 0; n <= 3 * (2 * W2 + 1); ++n) {
      for (const Generator *g : {&specials, &zeros, &nan_runs}) {
        const Case c = make_case(*g, rng, n, W2);
        auto px = exact_copy(c.x), pic = exact_copy(c.xic), pfc = exact_copy(c.xfc);
        std::vector<double> out(n);
        running_median(px.get(), out.data(), pic.get(), pfc.get(), static_cast<int32_t>(n),
                       2 * W2 + 1, W2);
        ASSERT_TRUE(same_bits(out, reference(c))) << "n=" << n << " W2=" << W2;
        ASSERT_EQ(standin_live_allocations(), 0);
      }
    }
  }
}

// Each vector width hands its windows to the block engine at a length of its own: the driver at
// every width, for the window lengths on both sides of every handover and signals of a few blocks.
TEST(SlidingEngines, DriverMatchesPerWindowAcrossEachWidthsHandover) {
  std::mt19937_64 rng(41);
  at_every_vector_width([&](int width) {
    for (int32_t W2 = 10; W2 <= 33; ++W2) {
      for (size_t g : {size_t{0}, size_t{1}, size_t{5}, size_t{8}}) {
        const Case c = make_case(generators()[g].second, rng, 4 * (2 * W2 + 1) + 3, W2);
        auto px = exact_copy(c.x), pic = exact_copy(c.xic), pfc = exact_copy(c.xfc);
        std::vector<double> out(c.x.size());
        running_median(px.get(), out.data(), pic.get(), pfc.get(), static_cast<int32_t>(c.x.size()),
                       2 * W2 + 1, W2);
        ASSERT_TRUE(same_bits(out, reference(c)))
            << "width " << width << ", " << generators()[g].first << ", W2=" << W2;
      }
    }
  });
}

// A window longer than the signal costs storage for about one window of samples (and a little for
// each output), whatever engine would serve a longer signal.
TEST(SlidingEngines, WindowsLongerThanTheSignalNeedAboutOneWindowOfStorage) {
  const double x[100] = {};
  for (int32_t W2 : {20, 500, 50000}) {
    const int32_t W = 2 * W2 + 1;
    const ExtendedSignal e = with_extension_arrays(x, x, x, 100, W2);
    EXPECT_LE(running_median_storage_bytes(e, W, 100), 8 * size_t(W) + 128 * 100) << "W2=" << W2;
  }
}

// A padding generated from the signal, and any range of outputs, give the bits of the whole
// padded signal filtered with its extensions written out.
TEST(SlidingEngines, GeneratedPaddingsAndOutputRangesMatchWrittenOutExtensions) {
  std::mt19937_64 rng(4242);
  for (Padding padding :
       {kConstantPadding, kReplicatePadding, kSymmetricPadding, kPeriodicPadding}) {
    for (size_t g : {size_t{0}, size_t{1}, size_t{2}, size_t{4}, size_t{5}}) {
      for (int32_t W2 : {1, 3, 7, 20, 40, 77}) {
        const int32_t W = 2 * W2 + 1;
        for (int64_t n :
             {int64_t{1}, int64_t{2}, int64_t{W2 + 1}, int64_t{W}, 3 * int64_t{W} + 7}) {
          const Case c = make_case(generators()[g].second, rng, n, 0);
          const double fill = pick(rng, {0.0, -0.0, 2.5, kNaN});
          Case written{c.x, {}, {}, W2};
          for (int64_t t = -W2; t < 0; ++t)
            written.xic.push_back(padded_sample(c.x, t, padding, fill));
          for (int64_t t = n; t < n + W2; ++t)
            written.xfc.push_back(padded_sample(c.x, t, padding, fill));
          const ZeroSigns zeros = rng() % 2 ? kZerosByCount : kZerosAsSelected;
          const std::vector<double> expected =
              zeros == kZerosByCount ? with_zeros_by_count(written, reference(written))
                                     : reference(written);
          auto px = exact_copy(c.x);
          const ExtendedSignal e = {px.get(), nullptr, nullptr, n, W2, padding, fill};
          const int64_t first = static_cast<int64_t>(rng() % n);
          const int64_t last = first + 1 + static_cast<int64_t>(rng() % (n - first));
          std::vector<char> storage(running_median_storage_bytes(e, W, last - first));
          std::vector<double> out(last - first);
          running_median_range(e, W, first, last, zeros, out.data(), storage.data());
          ASSERT_TRUE(same_bits(
              out, std::vector<double>(expected.begin() + first, expected.begin() + last)))
              << "padding " << padding << " on " << generators()[g].first << ", n=" << n
              << " W2=" << W2 << " outputs " << first << "..." << last - 1 << " zeros " << zeros;
        }
      }
    }
  }
}

#if defined(__x86_64__) || defined(__aarch64__)
// Subnormals read as zero: denormals-are-zero and flush-to-zero on x86-64, FZ on aarch64.
struct SubnormalsAsZero {
#if defined(__x86_64__)
  const unsigned saved = _mm_getcsr();
  SubnormalsAsZero() {
    _mm_setcsr(saved | 0x8040);
  }
  ~SubnormalsAsZero() {
    _mm_setcsr(saved);
  }
#else
  uint64_t saved;
  SubnormalsAsZero() {
    __asm__ volatile("mrs %0, fpcr" : "=r"(saved));
    __asm__ volatile("msr fpcr, %0" : : "r"(saved | uint64_t{1} << 24));
  }
  ~SubnormalsAsZero() {
    __asm__ volatile("msr fpcr, %0" : : "r"(saved));
  }
#endif
};

// With subnormals read as zero (as another library in the process may leave it), they compare
// equal to zero; the driver must then give what the per-window selection gives in that same
// state, not what the bit order says.
TEST(SlidingEngines, DriverFollowsTheFloatingPointStateWhenSubnormalsAreZero) {
  std::mt19937_64 rng(99);
  for (int32_t W2 : {1, 4, 40}) {
    Case c = make_case(
        [](std::mt19937_64 &r, int64_t) {
          return pick(r, {kSubnormal, -kSubnormal, 2 * kSubnormal, 0.0, -0.0});
        },
        rng, 500, W2);
    std::vector<double> out(c.x.size()), expected;
    {
      const SubnormalsAsZero state;
      running_median(c.x.data(), out.data(), c.xic.data(), c.xfc.data(),
                     static_cast<int32_t>(c.x.size()), 2 * W2 + 1, W2);
      expected = reference(c);
    }
    EXPECT_TRUE(same_bits(out, expected)) << "W2=" << W2;
    EXPECT_FALSE(same_bits(expected, reference(c))) << "the data should tell the two states apart";
  }
}
#endif

}  // namespace
