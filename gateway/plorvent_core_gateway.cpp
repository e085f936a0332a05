// Host entry of plorvent_core: m = plorvent_core(x, xic, xfc, W2).
//
// Checks the call, refusing anything that would make the core read memory it does not own, then
// runs the running median into a staging buffer and returns it as a new n-by-1 double column. A
// pending Ctrl-C (in GNU Octave) stops the work and raises plorvent_core:interrupted.
// Built unchanged against the host's mex.h, GNU Octave's and the project's stand-in.
#include <cmath>
#include <cstdint>

#include "core/running_median.h"
#include "gateway/host_interruption.h"
#include "mex.h"

namespace {

const char kUsageMessage[] =
    "Incorrect number of parameters.\nSyntax: m = plorvent_core(x, xic, xfc, W2)";

// The largest half-width whose window length 2*W2+1 fits a 32-bit signed integer.
const double kMaxHalfWidth = static_cast<double>((INT32_MAX - 1) / 2);

void require_full_double(const mxArray *a, const char *name) {
  if (!mxIsDouble(a)) {
    mexErrMsgIdAndTxt("plorvent_core:notDouble", "%s must be an array of class double.", name);
  }
  if (mxIsSparse(a)) {
    mexErrMsgIdAndTxt("plorvent_core:sparse", "%s must be a full array, not sparse.", name);
  }
}

// Validates the fourth argument; values in (-1, 1) truncate to 0 and are accepted.
void require_valid_half_width(const mxArray *a) {
  if (mxGetNumberOfElements(a) == 0) {
    mexErrMsgIdAndTxt("plorvent_core:emptyHalfWidth", "W2 must hold a number; it is empty.");
  }
  const double value = mxGetPr(a)[0];
  if (!std::isfinite(value)) {
    mexErrMsgIdAndTxt("plorvent_core:nonFiniteHalfWidth", "W2 must be finite; it is %g.", value);
  }
  const double truncated = std::trunc(value);
  if (truncated < 0) {
    mexErrMsgIdAndTxt("plorvent_core:negativeHalfWidth", "W2 must not be negative; it is %g.",
                      value);
  }
  if (truncated > kMaxHalfWidth) {
    mexErrMsgIdAndTxt("plorvent_core:halfWidthTooLarge",
                      "W2 must be at most %.0f so that 2*W2+1 fits a 32-bit integer; it is %g.",
                      kMaxHalfWidth, value);
  }
}

void require_extension_length(const mxArray *a, const char *name, int32_t W2) {
  const size_t count = mxGetNumberOfElements(a);
  if (count < static_cast<size_t>(W2)) {
    mexErrMsgIdAndTxt("plorvent_core:shortExtension",
                      "%s must hold at least W2 = %d elements; it holds %llu.", name, W2,
                      static_cast<unsigned long long>(count));
  }
}

// Refuses every call outside the core's contract before anything is allocated.
void require_valid_arguments(const mxArray *prhs[]) {
  require_full_double(prhs[0], "x");
  require_full_double(prhs[1], "xic");
  require_full_double(prhs[2], "xfc");
  require_full_double(prhs[3], "W2");
  const size_t count = mxGetNumberOfElements(prhs[0]);
  if (count > static_cast<size_t>(INT32_MAX)) {
    mexErrMsgIdAndTxt("plorvent_core:tooManyElements",
                      "x must hold at most %d elements; it holds %llu.", INT32_MAX,
                      static_cast<unsigned long long>(count));
  }
  require_valid_half_width(prhs[3]);
  if (count == 0) return;  // nothing of the extensions is read
  const int32_t W2 = static_cast<int32_t>(mxGetPr(prhs[3])[0]);
  require_extension_length(prhs[1], "xic", W2);
  require_extension_length(prhs[2], "xfc", W2);
}

}  // namespace

void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (nrhs != 4 || nlhs != 1) mexErrMsgTxt(kUsageMessage);
  require_valid_arguments(prhs);

  // Each dimension taken as 32 bits; their product fits, as the element count was checked.
  const int32_t M = static_cast<int32_t>(mxGetM(prhs[0]));
  const int32_t N = static_cast<int32_t>(mxGetN(prhs[0]));
  const int32_t n = M * N;

  const double *x = mxGetPr(prhs[0]);
  const double *xic = mxGetPr(prhs[1]);
  const double *xfc = mxGetPr(prhs[2]);
  const double *half_width = mxGetPr(prhs[3]);
  const int32_t W2 = static_cast<int32_t>(half_width[0]);  // truncates toward zero

  double *staging = static_cast<double *>(mxCalloc(static_cast<size_t>(n), 8));
  watch_host_interruption();
  running_median(x, staging, xic, xfc, n, 2 * W2 + 1, W2);
  if (stop_requested()) mxFree(staging);
  report_host_interruption("plorvent_core:interrupted");

  plhs[0] = mxCreateDoubleMatrix(n, 1, mxREAL);
  double *result = mxGetPr(plhs[0]);
  for (int32_t i = 0; i < n; ++i) result[i] = staging[i];
  mxFree(staging);
}
