// Fuzzes mexFunction through the stand-in host as a host would call it: any argument and
// result counts, classes, shapes (empty and N-d), complex and sparse flags, values, and
// half-widths near their limits. Every call must either raise an error with an identifier (or
// the usage message) or return the per-window result bit for bit; inputs must stay unchanged,
// nothing may leak, and the result must be the only array created.
#include <cstdlib>
#include <string>
#include <vector>

#include "core/running_median.h"
#include "core/selection/per_window_medians.h"
#include "fuzz_values.h"
#include "standin_host.h"
#include "test_support.h"

namespace {

const mxClassID kClasses[] = {mxDOUBLE_CLASS,  mxDOUBLE_CLASS, mxDOUBLE_CLASS, mxSINGLE_CLASS,
                              mxINT8_CLASS,    mxUINT16_CLASS, mxINT32_CLASS,  mxUINT64_CLASS,
                              mxLOGICAL_CLASS, mxCHAR_CLASS,   mxCELL_CLASS,   mxSTRUCT_CLASS};

// Half-widths at and around every limit the gateway knows.
const double kHalfWidths[] = {
    0,          0.5,          -0.5,         1,    2.9, 3, 7, -1, 1073741823, 1073741823.9,
    1073741824, 2147483648.0, 4294967297.0, 1e300};

bool holds_doubles(const mxArray *a) {
  return mxIsDouble(a) && !mxIsSparse(a);
}

mxArray *take_array(FuzzBytes &in, int position, size_t &half_width_pick) {
  const uint8_t flags = take_byte(in);
  const mxClassID cls = kClasses[flags % 12];
  const bool sparse = (flags & 0x80) && cls == mxDOUBLE_CLASS;
  const mxComplexity complexity = (flags & 0x40) && cls == mxDOUBLE_CLASS ? mxCOMPLEX : mxREAL;
  const mwSize ndim = 2 + take_byte(in) % 2;
  mwSize dims[3];
  for (mwSize d = 0; d < ndim; ++d) dims[d] = take_byte(in) % 7;
  if (sparse) return mxCreateSparse(dims[0], dims[1], 1, complexity);
  mxArray *a = mxCreateNumericArray(ndim, dims, cls, complexity);
  if (!holds_doubles(a)) return a;
  const bool raw = take_byte(in) & 1;
  double *re = mxGetPr(a);
  for (size_t i = 0; i < mxGetNumberOfElements(a); ++i) re[i] = take_value(in, raw);
  if (position == 3 && mxGetNumberOfElements(a) > 0) {
    half_width_pick = take_byte(in);
    if (half_width_pick < sizeof kHalfWidths / sizeof *kHalfWidths)
      re[0] = kHalfWidths[half_width_pick];
  }
  return a;
}

// The per-window result for a call the gateway accepted.
std::vector<double> expected_result(const mxArray *const *prhs) {
  const size_t n = mxGetNumberOfElements(prhs[0]);
  std::vector<double> out(n);
  if (n == 0) return out;  // the reference would still obtain a window of 2*W2+1 samples
  const int32_t W2 = static_cast<int32_t>(mxGetPr(prhs[3])[0]);
  running_median_per_window(mxGetPr(prhs[0]), out.data(), mxGetPr(prhs[1]), mxGetPr(prhs[2]),
                            static_cast<int32_t>(n), 2 * W2 + 1, W2);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in = {data, size};
  const int nlhs = take_byte(in) % 3;
  const int nrhs = take_byte(in) % 6;
  std::vector<mxArray *> args;
  size_t half_width_pick = 0;
  for (int i = 0; i < nrhs; ++i) args.push_back(take_array(in, i, half_width_pick));
  std::vector<std::vector<double>> before;
  for (mxArray *a : args) before.push_back(contents(a));

  const long arrays_before = standin_live_arrays();
  mxArray *plhs[2] = {nullptr, nullptr};
  std::vector<const mxArray *> prhs(args.begin(), args.end());
  const bool raised = standin_call(mexFunction, nlhs, plhs, nrhs, prhs.data()) != 0;

  if (standin_live_allocations() != 0) std::abort();
  if (standin_live_arrays() - arrays_before != (raised ? 0 : 1)) std::abort();
  for (size_t i = 0; i < args.size(); ++i) {
    if (!same_bits(before[i], contents(args[i]))) std::abort();
  }
  if (raised) {
    const std::string id = standin_last_error_id(), message = standin_last_error_message();
    const bool usage = message.rfind("Incorrect number of parameters.", 0) == 0;
    if (!usage && id.rfind("plorvent_core:", 0) != 0) std::abort();
    if (usage != (nlhs != 1 || nrhs != 4)) std::abort();
  } else {
    const mxArray *m = plhs[0];
    const size_t n = mxGetNumberOfElements(prhs[0]);
    if (!holds_doubles(m) || mxIsComplex(m) || mxGetM(m) != n || mxGetN(m) != 1) std::abort();
    if (!same_bits(expected_result(prhs.data()), contents(m))) std::abort();
    mxDestroyArray(plhs[0]);
  }
  for (mxArray *a : args) mxDestroyArray(a);
  return 0;
}
