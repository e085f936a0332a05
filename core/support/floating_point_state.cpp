// Another library in the host process may have set denormals-are-zero or flush-to-zero; then
// comparisons of subnormals differ from the integer key order, and only the per-window
// selection gives the results that the same comparisons give in this environment.
#include "core/support/floating_point_state.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>

bool floating_point_state_is_default() {
  const unsigned kDenormalsAreZero = 0x0040;
  const unsigned kFlushToZero = 0x8000;
  return (_mm_getcsr() & (kDenormalsAreZero | kFlushToZero)) == 0;
}
#else
bool floating_point_state_is_default() {
  return true;
}
#endif
