// A module holding an object whose destructor must run when an error call leaves mexFunction:
// the compiler gives mexFunction a C++ personality routine in its unwind data, which the host's
// native unwind would call. The PE check must refuse it.
#include "mex.h"

namespace {

struct Scratch {  // gives its host block back when it goes out of scope
  double *data;
  ~Scratch() { mxFree(data); }
};

}  // namespace

void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *[]) {
  Scratch scratch{static_cast<double *>(mxCalloc(1, sizeof(double)))};
  if (nlhs != 1 || nrhs != 0) mexErrMsgTxt("No arguments and one result.");
  plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
  *mxGetPr(plhs[0]) = *scratch.data;
}
