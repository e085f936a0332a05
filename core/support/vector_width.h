// The widest vectors the kernels may use: what the processor has, checked at run time (the
// module itself is built for any x86-64 processor), and at most what a test asked for.
#ifndef PLORVENT_CORE_SUPPORT_VECTOR_WIDTH_H
#define PLORVENT_CORE_SUPPORT_VECTOR_WIDTH_H

// AVX-512 processors run the AVX2 kernels: those are the widest this code has.
enum VectorWidth : int { kScalar, kSse2, kAvx2 };

VectorWidth usable_vector_width();

// For tests: from now on use at most `width` (never more than the processor has), so that the
// narrower kernels run on a machine that has wider ones. Not for concurrent use with the
// engines.
void limit_vector_width(VectorWidth width);

#endif
