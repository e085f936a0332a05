// Compiles a kernel written in the operations of vector_lanes.h for every instruction set this
// processor may have: includes the file named by PLORVENT_KERNEL_FILE once per set, each time in
// a namespace named after the set (scalar, sse2, avx2, avx512, neon) that brings in the set's
// operations and defines PLORVENT_KERNEL_TARGET as its target attribute. The including file has
// included vector_lanes.h first. (No include guard: each file of kernels includes it once.)

namespace scalar {
using namespace scalar_lanes;
#define PLORVENT_KERNEL_TARGET
#include PLORVENT_KERNEL_FILE
#undef PLORVENT_KERNEL_TARGET
}  // namespace scalar

#ifdef PLORVENT_X86_64_LANES
namespace sse2 {
using namespace sse2_lanes;
#define PLORVENT_KERNEL_TARGET
#include PLORVENT_KERNEL_FILE
#undef PLORVENT_KERNEL_TARGET
}  // namespace sse2

namespace avx2 {
using namespace avx2_lanes;
#define PLORVENT_KERNEL_TARGET PLORVENT_TARGET_AVX2
#include PLORVENT_KERNEL_FILE
#undef PLORVENT_KERNEL_TARGET
}  // namespace avx2

namespace avx512 {
using namespace avx512_lanes;
#define PLORVENT_KERNEL_TARGET PLORVENT_TARGET_AVX512
#include PLORVENT_KERNEL_FILE
#undef PLORVENT_KERNEL_TARGET
}  // namespace avx512
#endif

#ifdef PLORVENT_NEON_LANES
namespace neon {
using namespace neon_lanes;
#define PLORVENT_KERNEL_TARGET
#include PLORVENT_KERNEL_FILE
#undef PLORVENT_KERNEL_TARGET
}  // namespace neon
#endif
