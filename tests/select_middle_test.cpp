// Middle-rank selection: the documented outcomes (including the window left behind, which
// decides results for NaN and signed zeros), agreement with sorting for NaN-free windows, and
// the selection without branches against the step-by-step one.
#include "core/selection/select_middle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "core/running_median.h"
#include "core/selection/select_middle_by_blocks.h"
#include "test_support.h"

namespace {

struct Selected {
  double value;
  std::vector<double> window;  // the window as the selection left it
};

Selected select(std::vector<double> window) {
  const double v = select_middle(window.data(), static_cast<int32_t>(window.size()));
  return {v, window};
}

TEST(SelectMiddle, SmallWindowsAndTies) {
  EXPECT_TRUE(std::isnan(select({kNaN}).value));  // W = 1 returns the value as it is
  EXPECT_EQ(select({7.5}).value, 7.5);
  EXPECT_EQ(select({2.0, 1.0}).value, 1.0);  // W = 2: rank 0, the smaller
  EXPECT_EQ(select({5, 4, 3}).value, 4);
  EXPECT_EQ(select({4, 4, 4, 4, 4, 4, 4}).value, 4);
  const Selected five = select({5, 4, 3, 2, 1});
  EXPECT_EQ(five.value, 3);
  EXPECT_EQ(five.window, (std::vector<double>{2, 1, 3, 4, 5}));
}

TEST(SelectMiddle, NaNFollowsTheExchangeOrder) {
  struct Case {
    std::vector<double> in;
    std::vector<double> after;  // empty: not checked
    double expected;            // NaN: the result must be NaN
  };
  const std::vector<Case> cases = {
      {{kNaN, 1.0, 2.0}, {1.0, kNaN, 2.0}, kNaN},
      {{1.0, kNaN, 2.0}, {kNaN, 1.0, 2.0}, 1.0},
      {{1.0, 2.0, kNaN}, {1.0, 2.0, kNaN}, 2.0},
      {{3.0, kNaN, 1.0, 2.0, 0.0}, {0.0, 1.0, kNaN, 2.0, 3.0}, kNaN},
      {{2.0, 1.0, kNaN, kNaN, 0.0}, {}, 0.0},
      {{kInf, -kInf, kNaN}, {}, kInf},
  };
  for (const Case &c : cases) {
    const Selected s = select(c.in);
    EXPECT_EQ(bits_of(s.value), bits_of(c.expected)) << "input starting " << c.in[0];
    if (!c.after.empty()) {
      EXPECT_TRUE(same_bits(s.window, c.after)) << "input starting " << c.in[0];
    }
  }
}

TEST(SelectMiddle, SignedZerosFollowTheExchangeOrder) {
  const double n0 = -0.0, p0 = 0.0;
  EXPECT_TRUE(std::signbit(select({n0, p0, p0}).value));
  EXPECT_FALSE(std::signbit(select({p0, n0, n0}).value));
  EXPECT_FALSE(std::signbit(select({p0, n0, p0}).value));
  EXPECT_TRUE(std::signbit(select({n0, p0, n0}).value));
}

// For every length from 1 to a few hundred and several value distributions (with many ties in
// some), the result is the rank-k element of the sorted window and the window a permutation.
TEST(SelectMiddle, MatchesSortingOnNaNFreeWindows) {
  std::mt19937_64 rng(20261208);
  for (int W = 1; W <= 300; ++W) {
    for (int distribution = 0; distribution < 3; ++distribution) {
      std::vector<double> window(W);
      for (double &v : window) {
        switch (distribution) {
          case 0:
            v = std::uniform_real_distribution<double>(-1, 1)(rng);
            break;
          case 1:
            v = static_cast<double>(rng() % 4);
            break;  // heavy ties
          default:
            v = (rng() % 10 == 0) ? kInf * ((rng() & 1) ? 1 : -1) : double(rng() % 1000);
        }
      }
      std::vector<double> sorted = window;
      std::sort(sorted.begin(), sorted.end());
      const Selected s = select(window);
      ASSERT_EQ(s.value, sorted[(W - 1) / 2]) << "W=" << W << " distribution " << distribution;
      std::vector<double> after = s.window;
      std::sort(after.begin(), after.end());
      ASSERT_EQ(after, sorted) << "W=" << W;
    }
  }
}

}  // namespace

namespace {

// Windows built to stress both selections' exchange order: mostly NaN of both signs and zeros of
// both signs among ties, infinities and spread values, in random, sorted, reversed and
// organ-pipe order.
std::vector<double> adversarial_window(std::mt19937_64 &rng, int W) {
  static const double kPalette[] = {kNaN, -kNaN, 0.0, -0.0, 0.0, -0.0, 1.0, -1.0, 2.0, kInf, -kInf};
  const int kind = static_cast<int>(rng() % 6);
  std::vector<double> w(W);
  for (double &v : w) {
    const uint64_t r = rng();
    switch (kind) {
      case 0:  // the palette alone
        v = kPalette[r % 11];
        break;
      case 1:  // spread values with a few NaN
        v = r % 50 == 0 ? kNaN : std::ldexp(double(r >> 11), -53);
        break;
      case 2:  // zeros of both signs among few values
        v = r % 3 == 0 ? ((r >> 8) & 1 ? 0.0 : -0.0) : double(r % 4);
        break;
      default:  // heavy ties and one NaN in ten
        v = r % 10 == 0 ? kNaN : double(r % 3);
    }
  }
  if (kind == 4) {  // ascending runs between the NaN, then one of three orders
    std::sort(w.begin(), w.end(), [](double a, double b) { return bits_of(a) < bits_of(b); });
    if (rng() % 2) std::reverse(w.begin(), w.end());
    if (rng() % 2) std::reverse(w.begin() + W / 2, w.end());  // organ pipe
  }
  return w;
}

// The selection without branches against the step-by-step one: the same value and the same
// window left behind, bit for bit, over more than a million windows of every length up to 200
// and many up to 2001.
TEST(SelectMiddleByBlocks, LeavesTheSameWindowAsSelectMiddle) {
  std::mt19937_64 rng(77);
  auto expect_same = [&](int W) {
    std::vector<double> plain = adversarial_window(rng, W), blocked = plain;
    const double expected = select_middle(plain.data(), W);
    const double got = select_middle_by_blocks(blocked.data(), W);
    return bits_of(expected) == bits_of(got) && same_bits(plain, blocked);
  };
  for (int W = 1; W <= 200; ++W) {
    for (int trial = 0; trial < 5500; ++trial) ASSERT_TRUE(expect_same(W)) << "W=" << W;
  }
  for (int trial = 0; trial < 4000; ++trial) {
    const int W = 201 + static_cast<int>(rng() % 1801);
    ASSERT_TRUE(expect_same(W)) << "W=" << W;
  }
}

}  // namespace
