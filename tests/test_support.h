// Helpers shared by the unit tests: bit-exact comparison and exact-size input copies.
#ifndef PLORVENT_TESTS_TEST_SUPPORT_H
#define PLORVENT_TESTS_TEST_SUPPORT_H

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

inline uint64_t bits_of(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

inline bool same_bits(const std::vector<double> &a, const std::vector<double> &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (bits_of(a[i]) != bits_of(b[i])) return false;
  }
  return true;
}

// A heap copy of exactly v.size() elements, so that AddressSanitizer reports any read past it.
inline std::unique_ptr<double[]> exact_copy(const std::vector<double> &v) {
  std::unique_ptr<double[]> p(new double[v.size()]);
  std::copy(v.begin(), v.end(), p.get());
  return p;
}

#endif
