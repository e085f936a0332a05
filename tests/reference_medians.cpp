// Writes the reference cases file: deterministic pseudo-random signals, dense in ties, NaN,
// zeros of both signs and infinities, each run through this build's mexFunction by the stand-in
// host. The Windows test host replays the file against the Windows module, bit for bit.
// Usage: reference_medians OUTPUT_FILE
#include <cstdio>
#include <string>
#include <vector>

#include "reference_cases.h"
#include "standin_host.h"
#include "test_support.h"

namespace {

mxArray *column(const std::vector<double> &values) {
  mxArray *a = mxCreateDoubleMatrix(static_cast<int>(values.size()), 1, mxREAL);
  for (size_t i = 0; i < values.size(); ++i) mxGetPr(a)[i] = values[i];
  return a;
}

// The case's result from this build's module, called as the host calls it.
bool run_module(ReferenceCase &c) {
  const mxArray *prhs[4] = {column(c.x), column(c.xic), column(c.xfc), column({c.W2})};
  mxArray *plhs[1] = {nullptr};
  const bool ok = standin_call(mexFunction, 1, plhs, 4, prhs) == 0;
  if (ok) c.expected.assign(mxGetPr(plhs[0]), mxGetPr(plhs[0]) + mxGetM(plhs[0]));
  mxDestroyArray(plhs[0]);
  for (const mxArray *a : prhs) mxDestroyArray(const_cast<mxArray *>(a));
  if (!ok) std::fprintf(stderr, "%s: %s\n", c.name.c_str(), standin_last_error_message());
  return ok;
}

ReferenceCase make_case(Random &random, const std::string &name, size_t n, double W2,
                        size_t extension_length, double (*draw)(Random &)) {
  // Braced initialisers run in order, so the draws are always x, then xic, then xfc.
  return {name,
          W2,
          samples(random, n, draw),
          samples(random, extension_length, draw),
          samples(random, extension_length, draw),
          {}};
}

std::vector<ReferenceCase> all_cases() {
  Random random{20240611};
  std::vector<ReferenceCase> cases;
  for (int W2 : {0, 1, 2, 5, 31, 250, 2000}) {
    cases.push_back(
        make_case(random, "mixed n=100000 W2=" + std::to_string(W2), 100000, W2, W2, mixed_sample));
  }
  cases.push_back(
      make_case(random, "window wider than the signal", 3000, 4000, 4000, mixed_sample));
  cases.push_back(make_case(random, "extensions longer than W2", 1000, 3, 50, mixed_sample));
  cases.push_back(make_case(random, "fractional W2 2.9", 1000, 2.9, 2, mixed_sample));
  for (int W2 : {1, 2, 3, 8, 100}) {
    cases.push_back(make_case(random, "NaN and signed zeros W2=" + std::to_string(W2), 5000, W2, W2,
                              nan_zero_one_sample));
  }
  return cases;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
    return 2;
  }
  std::vector<ReferenceCase> cases = all_cases();
  for (ReferenceCase &c : cases) {
    if (!run_module(c)) return 1;
  }
  if (!write_reference_cases(argv[1], cases)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("wrote %zu reference cases to %s\n", cases.size(), argv[1]);
  return 0;
}
