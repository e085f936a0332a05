// Screening spans of samples for NaN and zeros.
#include "core/support/nan_and_zeros.h"

#include <algorithm>

#include "core/support/vector_lanes.h"
#include "core/support/vector_width.h"

namespace {

#define PLORVENT_KERNEL_FILE "core/support/ordinary_scan_kernel.h"
#include "core/support/each_instruction_set.h"
#undef PLORVENT_KERNEL_FILE

// Which specials a chunk holds, without a branch per sample: the OR of the zeros' bits has its
// sign bit set when a -0.0 occurs, and their AND has it clear when a +0.0 occurs. SSE2 (every
// x86-64 has it) takes two samples a step.
void note_specials_of_chunk(SpecialsSeen &seen, const double *v, int64_t count) {
  int64_t i = 0;
#ifdef PLORVENT_X86_64_LANES
  const __m128d all_ones = _mm_castsi128_pd(_mm_set1_epi32(-1));
  __m128d nan = _mm_setzero_pd(), zeros_or = _mm_setzero_pd(), zeros_and = all_ones;
  for (; i + 2 <= count; i += 2) {
    const __m128d pair = _mm_loadu_pd(v + i);
    const __m128d zero = _mm_cmpeq_pd(pair, _mm_setzero_pd());
    nan = _mm_or_pd(nan, _mm_cmpunord_pd(pair, pair));
    zeros_or = _mm_or_pd(zeros_or, _mm_and_pd(pair, zero));
    zeros_and = _mm_and_pd(zeros_and, _mm_or_pd(pair, _mm_xor_pd(zero, all_ones)));
  }
  // The sign bits of each lane say what the lane has seen.
  seen.nan = seen.nan || _mm_movemask_pd(nan) != 0;
  seen.negative_zero = seen.negative_zero || _mm_movemask_pd(zeros_or) != 0;
  seen.positive_zero = seen.positive_zero || _mm_movemask_pd(zeros_and) != 3;
#endif
  for (; i < count; ++i) note_special(seen, v[i]);
}

const int64_t kScreenedChunk = 2048;
// Short, so that in a signal dense in NaN the chunk holding the next one costs little to search.
const int64_t kNanScanChunk = 256;

// No NaN (nor, with ZerosToo, a zero) among v[0 ... count-1]. AVX-512 processors scan with
// AVX2: the eight-lane scan, whose comparisons give mask registers to combine, measured slower
// (on an AMD EPYC, in cache and out).
template <bool ZerosToo>
bool holds_only_screened(const double *v, int64_t count) {
  const VectorWidth width = usable_vector_width();
#ifdef PLORVENT_X86_64_LANES
  if (width >= kAvx2) return avx2::holds_only_screened<ZerosToo>(v, count);
  if (width >= kSse2) return sse2::holds_only_screened<ZerosToo>(v, count);
#endif
#ifdef PLORVENT_NEON_LANES
  if (width >= kNeon) return neon::holds_only_screened<ZerosToo>(v, count);
#endif
  (void)width;
  return scalar::holds_only_screened<ZerosToo>(v, count);
}

}  // namespace

bool holds_no_nan_or_zero(const double *v, int64_t count) {
  return holds_only_screened<true>(v, count);
}

void note_specials(SpecialsSeen &seen, const double *v, int64_t count) {
  for (int64_t i = 0; i < count; i += kScreenedChunk) {
    const int64_t n = std::min(kScreenedChunk, count - i);
    if (!holds_no_nan_or_zero(v + i, n)) note_specials_of_chunk(seen, v + i, n);
  }
}

// As a chunk of doubles is, four samples a step.
void note_specials(SpecialsSeen &seen, const float *v, int64_t count) {
  int64_t i = 0;
#ifdef PLORVENT_X86_64_LANES
  const __m128 all_ones = _mm_castsi128_ps(_mm_set1_epi32(-1));
  __m128 nan = _mm_setzero_ps(), zeros_or = _mm_setzero_ps(), zeros_and = all_ones;
  for (; i + 4 <= count; i += 4) {
    const __m128 four = _mm_loadu_ps(v + i);
    const __m128 zero = _mm_cmpeq_ps(four, _mm_setzero_ps());
    nan = _mm_or_ps(nan, _mm_cmpunord_ps(four, four));
    zeros_or = _mm_or_ps(zeros_or, _mm_and_ps(four, zero));
    zeros_and = _mm_and_ps(zeros_and, _mm_or_ps(four, _mm_xor_ps(zero, all_ones)));
  }
  seen.nan = seen.nan || _mm_movemask_ps(nan) != 0;
  seen.negative_zero = seen.negative_zero || _mm_movemask_ps(zeros_or) != 0;
  seen.positive_zero = seen.positive_zero || _mm_movemask_ps(zeros_and) != 15;
#endif
  for (; i < count; ++i) note_special(seen, v[i]);
}

int64_t next_nan(const double *x, int64_t t, int64_t end) {
  for (int64_t chunk = 0; t < end; t += chunk) {
    chunk = std::min(kNanScanChunk, end - t);
    if (!holds_only_screened<false>(x + t, chunk)) break;
  }
  while (t < end && x[t] == x[t]) ++t;
  return t;
}
