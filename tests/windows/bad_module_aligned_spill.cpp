// An AVX2 function that keeps a vector in a stack slot with an aligned 32-byte store, as a
// compiler taking the stack to be 32-byte aligned emits for a spill. Windows aligns the stack to
// 16 bytes only, so the store faults in every other frame. The PE check must refuse it. (This
// compiler spills with unaligned moves, so the store is written out.)
#include "mex.h"

namespace {

__attribute__((target("avx2"))) double sum_of_four(const double *p) {
  double slot[4];
  __asm__("vmovupd %1, %%ymm0\n\tvmovapd %%ymm0, %0\n\tvzeroupper"
          : "=m"(slot)
          : "m"(*reinterpret_cast<const double(*)[4]>(p))
          : "xmm0");
  return slot[0] + slot[1] + slot[2] + slot[3];
}

}  // namespace

void mexFunction(int, mxArray *plhs[], int, const mxArray *prhs[]) {
  plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
  *mxGetPr(plhs[0]) = sum_of_four(mxGetPr(prhs[0]));
}
