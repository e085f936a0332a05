// The widest vectors the kernels may use: what the processor has, checked at run time (the
// module itself is built for any x86-64 processor), and at most what a test asked for.
#ifndef PLORVENT_CORE_SUPPORT_VECTOR_WIDTH_H
#define PLORVENT_CORE_SUPPORT_VECTOR_WIDTH_H

#include <cstdint>

// kSse2 stands for 128-bit vectors: SSE2 on x86-64, NEON (kNeon) on aarch64, where they are all
// the processor has.
enum VectorWidth : int { kScalar, kSse2, kAvx2, kAvx512, kNeon = kSse2 };

VectorWidth usable_vector_width();

// For tests: from now on use at most `width` (never more than the processor has), so that the
// narrower kernels run on a machine that has wider ones; kAvx512 lifts the limit. Not for
// concurrent use with the engines.
void limit_vector_width(VectorWidth width);

// What an x86-64 processor reports: CPUID leaf 1's ECX, leaf 7's EBX (subleaf 0), and, where
// the OS enabled XGETBV (ECX's OSXSAVE bit), the register state it saves (XCR0; else 0).
struct X86Features {
  uint32_t leaf1_ecx;
  uint32_t leaf7_ebx;
  uint64_t xcr0;
};

// The widest vectors of those features: AVX2 and AVX-512 count only where the OS saves their
// registers on a task switch.
VectorWidth x86_vector_width(const X86Features &features);

#endif
