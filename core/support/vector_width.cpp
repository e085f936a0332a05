// The processor's vector extensions, checked once, and the tests' limit on them.
#include "core/support/vector_width.h"

#include <atomic>

#if defined(__x86_64__) || defined(_M_X64)
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#include <immintrin.h>
#endif

namespace {

// CPUID bits: leaf 1's ECX has OSXSAVE (the OS enabled XGETBV) and AVX, leaf 7's EBX AVX2 and
// AVX512F. XCR0 bits: SSE and AVX state (XMM, upper YMM halves), then the AVX-512 state (mask
// registers, upper ZMM halves, ZMM16-31).
const uint32_t kOsXsave = 1u << 27, kAvx = 1u << 28;
const uint32_t kAvx2Feature = 1u << 5, kAvx512Feature = 1u << 16;
const uint64_t kYmmState = 0x6, kZmmState = 0xE0;

#if defined(__x86_64__) || defined(_M_X64)
// CPUID's EAX, EBX, ECX, EDX for a leaf (subleaf 0).
#if defined(_MSC_VER)
void cpuid(uint32_t leaf, uint32_t registers[4]) {
  int r[4];
  __cpuidex(r, static_cast<int>(leaf), 0);
  for (int i = 0; i < 4; ++i) registers[i] = static_cast<uint32_t>(r[i]);
}
uint64_t read_xcr0() {
  return _xgetbv(0);
}
#else
void cpuid(uint32_t leaf, uint32_t registers[4]) {
  __cpuid_count(leaf, 0, registers[0], registers[1], registers[2], registers[3]);
}
__attribute__((target("xsave"))) uint64_t read_xcr0() {
  return _xgetbv(0);
}
#endif

VectorWidth processor_vector_width() {
  uint32_t highest[4], leaf1[4], leaf7[4] = {0, 0, 0, 0};
  cpuid(0, highest);
  cpuid(1, leaf1);
  if (highest[0] >= 7) cpuid(7, leaf7);
  const uint64_t xcr0 = leaf1[2] & kOsXsave ? read_xcr0() : 0;
  return x86_vector_width({leaf1[2], leaf7[1], xcr0});
}
#elif defined(__aarch64__) || defined(_M_ARM64)
VectorWidth processor_vector_width() {
  return kNeon;
}
#else
VectorWidth processor_vector_width() {
  return kScalar;
}
#endif

// Not yet checked: -1. Filled on first use without a static local's guarded initialisation,
// whose unwind data the host's error unwinding must never meet; two threads asking at once
// both check and store the same answer.
std::atomic<int> processor_width{-1};
std::atomic<int> width_limit{kAvx512};

}  // namespace

VectorWidth x86_vector_width(const X86Features &f) {
  const bool avx =
      (f.leaf1_ecx & kOsXsave) && (f.leaf1_ecx & kAvx) && (f.xcr0 & kYmmState) == kYmmState;
  if (!avx || !(f.leaf7_ebx & kAvx2Feature)) return kSse2;
  const bool avx512 = (f.leaf7_ebx & kAvx512Feature) && (f.xcr0 & kZmmState) == kZmmState;
  return avx512 ? kAvx512 : kAvx2;
}

VectorWidth usable_vector_width() {
  int processor = processor_width.load(std::memory_order_relaxed);
  if (processor < 0) {
    processor = processor_vector_width();
    processor_width.store(processor, std::memory_order_relaxed);
  }
  const int limit = width_limit.load(std::memory_order_relaxed);
  return static_cast<VectorWidth>(processor < limit ? processor : limit);
}

void limit_vector_width(VectorWidth width) {
  width_limit.store(width, std::memory_order_relaxed);
}
