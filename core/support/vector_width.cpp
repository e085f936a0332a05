// The processor's vector extensions, checked once, and the tests' limit on them.
#include "core/support/vector_width.h"

#include <atomic>

namespace {

VectorWidth processor_vector_width() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? kAvx2 : kSse2;
#elif defined(_M_X64)
  return kSse2;
#else
  return kScalar;
#endif
}

std::atomic<int> width_limit{kAvx2};

}  // namespace

// Asked afresh on every call (the check is cheap, and done once a call, never a sample): a static
// local would bring in the C++ runtime's guarded initialisation, whose unwind data the host's
// error unwinding must never meet.
VectorWidth usable_vector_width() {
  const VectorWidth processor = processor_vector_width();
  const int limit = width_limit.load(std::memory_order_relaxed);
  return processor < limit ? processor : static_cast<VectorWidth>(limit);
}

void limit_vector_width(VectorWidth width) {
  width_limit.store(width, std::memory_order_relaxed);
}
