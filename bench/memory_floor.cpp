// What memory alone allows a filter of an N-by-N image (default 2000): one pass that reads each
// sample and writes one output (a copy), on one worker thread and on two, into an output already
// in use and into fresh pages from the system (as a new result is; the kernel maps and zeroes
// them on first touch), for uint8, uint16 and double samples. Prints a markdown table of ns a
// pixel, the best of 5.
// Usage: memory_floor [N]
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// The C library's copy, which runs at what memory allows on any processor.
template <class T>
void one_pass(const T *x, T *y, int64_t from, int64_t to) {
  std::memcpy(y + from, x + from, (to - from) * sizeof(T));
}

template <class T>
double best_ns(const std::vector<T> &x, int threads, bool fresh) {
  const int64_t count = static_cast<int64_t>(x.size());
  const size_t bytes = count * sizeof(T);
  std::vector<T> used(count, T(1));
  double best = 1e300;
  for (int round = 0; round < 5; ++round) {
    T *y = used.data();
    if (fresh) {
      void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (p == MAP_FAILED) std::abort();
      madvise(p, bytes, MADV_HUGEPAGE);  // as the Octave module advises for its results
      y = static_cast<T *>(p);
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back(one_pass<T>, x.data(), y, count * t / threads,
                           count * (t + 1) / threads);
    }
    for (std::thread &w : workers) w.join();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
    if (fresh) munmap(y, bytes);
  }
  return best * 1e9 / static_cast<double>(count);
}

template <class T>
void row(const char *name, int64_t side) {
  std::vector<T> x(side * side);
  for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<T>((i * 2654435761u) >> 7);
  double t[4];
  for (int fresh = 0; fresh < 2; ++fresh) {
    for (int threads = 1; threads <= 2; ++threads) {
      t[2 * fresh + threads - 1] = best_ns(x, threads, fresh == 1);
    }
  }
  std::printf("| %s | %.3f | %.3f | %.2f | %.3f | %.3f | %.2f |\n", name, t[0], t[1], t[0] / t[1],
              t[2], t[3], t[2] / t[3]);
}

}  // namespace

int main(int argc, char **argv) {
  const int64_t side = argc > 1 ? std::atoll(argv[1]) : 2000;
  std::printf("## One pass over the image, memory alone (%lld x %lld), ns a pixel\n\n",
              static_cast<long long>(side), static_cast<long long>(side));
  std::printf(
      "| class | output in use, 1 thread | 2 threads | 1 / 2 | fresh output, 1 thread | "
      "2 threads | 1 / 2 |\n|---|---:|---:|---:|---:|---:|---:|\n");
  row<uint8_t>("uint8", side);
  row<uint16_t>("uint16", side);
  row<double>("double", side);
}
