// Fuzzes the selection without branches against the step-by-step one: any window (palette values
// or raw bit patterns, up to a few thousand samples), compared by result and by the whole window
// each leaves behind, bit for bit; windows sized exactly so that AddressSanitizer catches any
// access past them.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/running_median.h"
#include "core/selection/select_middle.h"
#include "core/selection/select_middle_by_blocks.h"
#include "fuzz_values.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in = {data, size};
  const bool raw = take_byte(in) & 1;
  // The samples may repeat to make long windows from short inputs: 1 + the byte's value times.
  const int repeats = 1 + take_byte(in) % 16;
  std::vector<double> values;
  while (in.size > 0) values.push_back(take_value(in, raw));
  if (values.empty()) return 0;
  const size_t W = values.size() * repeats;
  auto plain = exact_copy(std::vector<double>(W)), blocked = exact_copy(std::vector<double>(W));
  for (size_t i = 0; i < W; ++i) plain[i] = blocked[i] = values[i % values.size()];
  const double expected = select_middle(plain.get(), static_cast<int32_t>(W));
  const double got = select_middle_by_blocks(blocked.get(), static_cast<int32_t>(W));
  if (bits_of(expected) != bits_of(got)) std::abort();
  if (std::memcmp(plain.get(), blocked.get(), W * sizeof(double)) != 0) std::abort();
  return 0;
}
