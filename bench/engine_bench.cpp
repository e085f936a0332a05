// The engine alone, without the host's fixed cost: nanoseconds per output sample of
// running_median, of the per-window path and of select_middle, beside a plain memcpy of the
// signal, on n = 10^6 samples unless told otherwise (best of several runs each); with --moving,
// of the moving MAD, the moving quantile (p = 0.9) and the median of windows in time instead.
// Built by bench/engine.sh once against this tree's core and once against an earlier commit's,
// so that both print side by side.
//
// Usage: engine_bench [--quick] [--moving] [--samples N] [--widths W,W,...]
// Prints one line per measurement: "what signal W ns_per_sample".
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/running_median.h"
// Built against earlier trees too, where running_median.h declared select_middle (and
// running_median_per_window, which per_window_medians.h declares now).
#if __has_include("core/selection/per_window_medians.h")
#include "core/selection/per_window_medians.h"
#endif
#if __has_include("core/selection/select_middle.h")
#include "core/selection/select_middle.h"
#endif
#if __has_include("core/support/vector_width.h")
#include "core/support/vector_width.h"
#define PLORVENT_BENCH_WIDTHS 1
#endif
#if __has_include("core/counted/moving_statistics.h")
#include "core/counted/moving_statistics.h"
#define PLORVENT_BENCH_MOVING 1
#endif
#if __has_include("core/counted/statistic.h")
#define PLORVENT_BENCH_RESULTS 1  // the results handed as StatisticResults
#endif

#include "plain_allocator.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Signal {
  const char *name;
  std::vector<double> x;
};

std::vector<Signal> make_signals(int64_t n) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> unit(0, 1);
  Signal uniform{"uniform", std::vector<double>(n)}, walk{"walk", std::vector<double>(n)};
  Signal ties{"ties", std::vector<double>(n)}, nan{"nan1%", std::vector<double>(n)};
  double level = 0;
  for (int64_t i = 0; i < n; ++i) {
    uniform.x[i] = unit(rng);
    walk.x[i] = level += unit(rng) - 0.5;
    ties.x[i] = static_cast<double>(rng() % 4);
    nan.x[i] = rng() % 100 == 0 ? std::numeric_limits<double>::quiet_NaN() : unit(rng);
  }
  return {uniform, walk, ties, nan};
}

// Best time of `runs` calls of f, in nanoseconds per sample.
template <class F>
double best_ns(int runs, int64_t samples, F f) {
  double best = 1e300;
  for (int r = 0; r < runs; ++r) {
    const Clock::time_point start = Clock::now();
    f();
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    best = std::min(best, ns / static_cast<double>(samples));
  }
  return best;
}

void report(const char *what, const char *signal, int32_t W, double ns) {
  std::printf("%s %s %d %.4g\n", what, signal, W, ns);
  std::fflush(stdout);
}

// Fewer samples when each costs O(W), so that every measurement takes a similar time, and no
// more on longer signals than on 10^6 samples (the time of a window does not depend on n).
int64_t samples_for(int64_t n, int32_t W, bool per_window) {
  const int64_t spread = std::min<int64_t>(n, 1000000) * 8 / W;
  return per_window ? std::max<int64_t>(2000, std::min<int64_t>(n, spread)) : n;
}

#ifdef PLORVENT_BENCH_WIDTHS
// running_median on the uniform signal with the vectors limited to each width in turn (the
// widths by their number, so that trees that know fewer of them build too: there the limit
// stops at the widest they know).
void time_vector_widths(const Signal &uniform, int64_t n, int32_t W, int runs) {
  const char *names[] = {"plain", "sse2", "avx2", "avx512"};
  const int32_t W2 = (W - 1) / 2;
  const std::vector<double> zeros(W2, 0.0);
  std::vector<double> out(n);
  for (int width = 0; width < 4; ++width) {
    limit_vector_width(static_cast<VectorWidth>(width));
    const std::string what = std::string("running_median@") + names[width];
    report(what.c_str(), uniform.name, W, best_ns(runs, n, [&] {
             running_median(uniform.x.data(), out.data(), zeros.data(), zeros.data(),
                            static_cast<int32_t>(n), W, W2);
           }));
  }
  limit_vector_width(static_cast<VectorWidth>(3));
}
#endif

void time_width(const std::vector<Signal> &signals, int64_t n, int32_t W, int runs) {
  const int32_t W2 = (W - 1) / 2;
  const std::vector<double> zeros(W2, 0.0);
  std::vector<double> out(n, 1.0), window(W);
  for (const Signal &s : signals) {
    // With a NaN in every long window each output costs a selection: fewer outputs then, their
    // windows inside the signal (the signal's own samples as the extensions).
    if (s.x.data() == signals[3].x.data()) {
      const int64_t m = samples_for(n - 2 * W2, W, true);
      report("running_median", s.name, W, best_ns(runs, m, [&] {
               running_median(s.x.data() + W2, out.data(), s.x.data(), s.x.data() + W2 + m,
                              static_cast<int32_t>(m), W, W2);
             }));
    } else {
      report("running_median", s.name, W, best_ns(runs, n, [&] {
               running_median(s.x.data(), out.data(), zeros.data(), zeros.data(),
                              static_cast<int32_t>(n), W, W2);
             }));
    }
  }
  for (const Signal &s : {signals[0], signals[3]}) {
    const int64_t m = samples_for(n - 2 * W2, W, true);
    report("per_window", s.name, W, best_ns(runs, m, [&] {
             running_median_per_window(s.x.data() + W2, out.data(), s.x.data(), s.x.data() + W2 + m,
                                       static_cast<int32_t>(m), W, W2);
           }));
    // select_middle alone, on windows copied from the signal (the copy is timed too).
    report("select_middle", s.name, W, best_ns(runs, m, [&] {
             for (int64_t i = 0; i + W <= n && i < m; ++i) {
               std::memcpy(window.data(), s.x.data() + i, W * sizeof(double));
               out[i] = select_middle(window.data(), W);
             }
           }));
  }
}

#ifdef PLORVENT_BENCH_MOVING
// moving_statistics over every output of windows of W samples (W/2 back), the MAD without its
// medians and the quantile of p = 0.9 by the default method; with `times` (one a sample), windows
// in time of W/2 back and W-1-W/2 forward (in whole steps of the times, 0, 1, 2, ...), so W
// samples, all of them counted.
void time_moving(const char *what, const MovingStatistic &statistic, const Signal &s, int32_t W,
                 int runs, const double *times = nullptr) {
  const int64_t n = static_cast<int64_t>(s.x.size());
  MovingWindows w = {W / 2, W - 1 - W / 2, nullptr, 0, 0, false, false, 0, false};
  if (times) {
    w = {0, 0, times, double(W / 2), double(W - 1 - W / 2), false, false, 0, false};
  }
  std::vector<char> storage(moving_statistics_storage_bytes(w, statistic, false, n, n));
  std::vector<double> out(n);
#ifdef PLORVENT_BENCH_RESULTS
  const StatisticResults results = {{out.data(), nullptr}};
#endif
  report(what, s.name, W, best_ns(runs, n, [&] {
#ifdef PLORVENT_BENCH_RESULTS
           moving_statistics(s.x.data(), n, w, statistic, nullptr, 0, n, results, storage.data());
#else
           moving_statistics(s.x.data(), n, w, statistic, nullptr, 0, n, out.data(), nullptr,
                             storage.data());
#endif
         }));
}

// On uniform samples, on few levels (every window full of ties), on a signal alternating
// between two levels (the counted engine's hardest), sorted, in two far clusters, and of
// alternating sign; on uniform samples at each vector width.
void time_moving_statistics(const std::vector<Signal> &signals, int32_t W, int runs) {
  const MovingStatistic mad = {kMadStatistic, 0, 0}, quantile = {kQuantileStatistic, 0.9, 5};
  const MovingStatistic median = {kMedianStatistic, 0, 0};
  std::vector<double> times(signals[0].x.size());
  for (size_t i = 0; i < times.size(); ++i) times[i] = static_cast<double>(i);
  for (const Signal &s : {signals[0], signals[2], signals[4], signals[5], signals[6], signals[7]}) {
    time_moving("movmad", mad, s, W, runs);
    time_moving("movquantile", quantile, s, W, runs);
    time_moving("movmedian_time", median, s, W, runs, times.data());
  }
#ifdef PLORVENT_BENCH_WIDTHS
  const char *names[] = {"plain", "sse2", "avx2", "avx512"};
  for (int width = 0; width < 4; ++width) {
    limit_vector_width(static_cast<VectorWidth>(width));
    time_moving((std::string("movmad@") + names[width]).c_str(), mad, signals[0], W, runs);
    time_moving((std::string("movquantile@") + names[width]).c_str(), quantile, signals[0], W,
                runs);
  }
  limit_vector_width(static_cast<VectorWidth>(3));
#endif
}
#endif

std::vector<int32_t> parse_widths(const char *list) {
  std::vector<int32_t> widths;
  for (const char *p = list; *p != '\0';) {
    char *end = nullptr;
    widths.push_back(static_cast<int32_t>(std::strtol(p, &end, 10)));
    p = *end == ',' ? end + 1 : end;
    if (end == p && *p != '\0') break;
  }
  return widths;
}

}  // namespace

int main(int argc, char **argv) {
  int64_t n = 1000000;
  int runs = 7;
  bool moving = false;
  std::vector<int32_t> widths = {3,  5,  7,  9,  11,  15,  21,   31,   37,
                                 41, 51, 63, 71, 101, 201, 1001, 10001};
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--quick") == 0) {
      n = 100000;
      runs = 3;
    } else if (std::strcmp(argv[a], "--moving") == 0) {
      moving = true;
    } else if (std::strcmp(argv[a], "--samples") == 0 && a + 1 < argc) {
      n = std::strtoll(argv[++a], nullptr, 10);
    } else if (std::strcmp(argv[a], "--widths") == 0 && a + 1 < argc) {
      widths = parse_widths(argv[++a]);
    } else {
      std::fprintf(stderr, "usage: %s [--quick] [--moving] [--samples N] [--widths W,W,...]\n",
                   argv[0]);
      return 2;
    }
  }
  std::vector<Signal> signals = make_signals(n);
  std::vector<double> copy(n, 1.0);
  if (moving) {
#ifdef PLORVENT_BENCH_MOVING
    Signal alternating{"alternating", std::vector<double>(n)};
    for (int64_t i = 0; i < n; ++i) alternating.x[i] = static_cast<double>(i % 2);
    signals.push_back(alternating);
    // Uniform magnitudes of alternating sign: every window's median sits among the smallest
    // magnitudes, and negative and positive keys lie at the two ends of the key order.
    Signal signs{"signs", std::vector<double>(n)};
    for (int64_t i = 0; i < n; ++i) signs.x[i] = i % 2 ? -signals[0].x[i] : signals[0].x[i];
    // Sorted (every window's entering sample the largest), and two clusters far apart, small and
    // large at random (the median jumps between them).
    Signal sorted{"sorted", std::vector<double>(n)}, bimodal{"bimodal", std::vector<double>(n)};
    for (int64_t i = 0; i < n; ++i) {
      sorted.x[i] = static_cast<double>(i);
      bimodal.x[i] = signals[0].x[i] + (signals[0].x[(i * 7919) % n] < 0.5 ? 0.0 : 1e6);
    }
    signals.push_back(sorted);
    signals.push_back(bimodal);
    signals.push_back(signs);
    for (int32_t W : widths) time_moving_statistics(signals, W, runs);
#endif
    return 0;
  }
  for (int32_t W : widths) {
    // The copy is timed beside every W, so that ratios to it compare runs made together.
    report("memcpy", "uniform", W, best_ns(runs, n, [&] {
             std::memcpy(copy.data(), signals[0].x.data(), n * sizeof(double));
           }));
    time_width(signals, n, W, runs);
#ifdef PLORVENT_BENCH_WIDTHS
    time_vector_widths(signals[0], n, W, runs);
#endif
  }
  return 0;
}
