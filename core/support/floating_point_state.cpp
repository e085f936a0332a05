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
#elif defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
#include <cstdint>

// FPCR's FZ flushes subnormal inputs and results to zero; FIZ (where the processor has it)
// flushes inputs only.
bool floating_point_state_is_default() {
  const uint64_t kFlushToZero = uint64_t{1} << 24, kFlushInputsToZero = 1;
  uint64_t fpcr;
  __asm__ volatile("mrs %0, fpcr" : "=r"(fpcr));
  return (fpcr & (kFlushToZero | kFlushInputsToZero)) == 0;
}
#else
bool floating_point_state_is_default() {
  return true;
}
#endif
