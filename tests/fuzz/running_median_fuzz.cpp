// Fuzzes running_median against the per-window selection: any signal, half-width and
// extensions, compared bit for bit; inputs sized exactly so that AddressSanitizer catches any
// read past them; every buffer obtained must be released.
#include <cstdlib>
#include <vector>

#include "core/running_median.h"
#include "core/selection/per_window_medians.h"
#include "fuzz_values.h"
#include "standin_host.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in = {data, size};
  const uint8_t shape = take_byte(in);
  const bool raw = take_byte(in) & 1;
  // Mostly short windows, sometimes long ones (up to W = 1025).
  const int32_t W2 = (shape & 0x80) ? (shape & 0x7f) * 4 : shape % 40;
  std::vector<double> values;
  while (in.size > 0) values.push_back(take_value(in, raw));
  const int64_t n = std::max<int64_t>(0, static_cast<int64_t>(values.size()) - 2 * W2);
  auto next = [&, i = size_t{0}]() mutable {
    return values.empty() ? 0.0 : values[i++ % values.size()];
  };
  std::vector<double> xic(W2), x(n), xfc(W2);
  for (double &v : xic) v = next();
  for (double &v : x) v = next();
  for (double &v : xfc) v = next();

  auto px = exact_copy(x), pic = exact_copy(xic), pfc = exact_copy(xfc);
  std::vector<double> fast(n), slow(n);
  running_median(px.get(), fast.data(), pic.get(), pfc.get(), static_cast<int32_t>(n), 2 * W2 + 1,
                 W2);
  running_median_per_window(px.get(), slow.data(), pic.get(), pfc.get(), static_cast<int32_t>(n),
                            2 * W2 + 1, W2);
  if (!same_bits(fast, slow)) std::abort();
  if (!same_bits(x, px.get())) std::abort();
  if (standin_live_allocations() != 0) std::abort();
  return 0;
}
