// A module built without -compatibleArrayDims: with 64-bit sizes its mxCreateDoubleMatrix
// resolves to the host's `_730` entry. The PE check must refuse it.
#include "mex.h"

void mexFunction(int, mxArray *plhs[], int, const mxArray *[]) {
  plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
}
