// Deterministic pseudo-random samples for the reference cases files: the same sequence on every
// machine and every run, dense in ties, NaN, zeros of both signs and infinities.
#ifndef PLORVENT_TESTS_REFERENCE_SAMPLES_H
#define PLORVENT_TESTS_REFERENCE_SAMPLES_H

#include <cstdint>
#include <limits>
#include <vector>

// splitmix64: a fixed sequence on every machine, so the files are the same on every run.
struct Random {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Mostly spread values; one in four a small integer (ties); one in eight NaN, a signed zero or an
// infinity.
inline double mixed_sample(Random &random) {
  const uint64_t r = random.next();
  const uint64_t kind = r % 32;
  if (kind == 0) return kNaN;
  if (kind == 1) return -0.0;
  if (kind == 2) return 0.0;
  if (kind == 3) return (r & 64) ? kInf : -kInf;
  if (kind < 12) return static_cast<double>(static_cast<int>((r >> 40) % 7) - 3);
  return static_cast<double>(r >> 11) * 0x1p-53 * 200.0 - 100.0;
}

// Only NaN, zeros of both signs and +-1: windows where the selection order decides the bits.
inline double nan_zero_one_sample(Random &random) {
  const double values[] = {kNaN, -0.0, 0.0, 1.0, -1.0};
  return values[random.next() % 5];
}

inline std::vector<double> samples(Random &random, size_t count, double (*draw)(Random &)) {
  std::vector<double> v(count);
  for (double &d : v) d = draw(random);
  return v;
}

#endif
