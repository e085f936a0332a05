// Screening spans of samples for NaN and zeros.
#include "core/support/special_values.h"

#include <algorithm>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

#include "core/support/vector_width.h"

namespace {

// Which specials a chunk holds, without a branch per sample: the OR of the zeros' bits has its
// sign bit set when a -0.0 occurs, and their AND has it clear when a +0.0 occurs. SSE2 (every
// x86-64 has it) takes two samples a step.
void note_specials_of_chunk(SpecialsSeen &seen, const double *v, int64_t count) {
  int64_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
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

// One ordered comparison a sample, which the widest vectors make a fraction of a cycle.
bool holds_no_nan_or_zero_sse2(const double *v, int64_t count) {
  int64_t i = 0;
  bool none = true;
#if defined(__SSE2__) || defined(_M_X64)
  __m128d ordered_nonzero = _mm_castsi128_pd(_mm_set1_epi32(-1));
  for (; i + 4 <= count; i += 4) {
    const __m128d a = _mm_loadu_pd(v + i), b = _mm_loadu_pd(v + i + 2);
    const __m128d zero = _mm_setzero_pd();
    ordered_nonzero = _mm_and_pd(
        ordered_nonzero, _mm_and_pd(_mm_and_pd(_mm_cmpneq_pd(a, zero), _mm_cmpord_pd(a, a)),
                                    _mm_and_pd(_mm_cmpneq_pd(b, zero), _mm_cmpord_pd(b, b))));
  }
  none = _mm_movemask_pd(ordered_nonzero) == 3;
#endif
  for (; i < count; ++i) none &= v[i] != 0 && v[i] == v[i];
  return none;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
__attribute__((target("avx2"))) bool holds_no_nan_or_zero_avx2(const double *v, int64_t count) {
  __m256d ordered_nonzero = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
  const __m256d zero = _mm256_setzero_pd();
  int64_t i = 0;
  for (; i + 8 <= count; i += 8) {
    ordered_nonzero =
        _mm256_and_pd(ordered_nonzero,
                      _mm256_and_pd(_mm256_cmp_pd(_mm256_loadu_pd(v + i), zero, _CMP_NEQ_OQ),
                                    _mm256_cmp_pd(_mm256_loadu_pd(v + i + 4), zero, _CMP_NEQ_OQ)));
  }
  return _mm256_movemask_pd(ordered_nonzero) == 15 && holds_no_nan_or_zero_sse2(v + i, count - i);
}
#endif

const int64_t kScreenedChunk = 2048;
const int64_t kNanScanChunk = 16;

}  // namespace

bool holds_no_nan_or_zero(const double *v, int64_t count) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  if (usable_vector_width() >= kAvx2) return holds_no_nan_or_zero_avx2(v, count);
#endif
  return holds_no_nan_or_zero_sse2(v, count);
}

void note_specials(SpecialsSeen &seen, const double *v, int64_t count) {
  for (int64_t i = 0; i < count; i += kScreenedChunk) {
    const int64_t n = std::min(kScreenedChunk, count - i);
    if (!holds_no_nan_or_zero(v + i, n)) note_specials_of_chunk(seen, v + i, n);
  }
}

void note_specials(SpecialsSeen &seen, const float *v, int64_t count) {
  for (int64_t i = 0; i < count; ++i) note_special(seen, v[i]);
}

int64_t next_nan(const double *x, int64_t t, int64_t end) {
  for (; t + kNanScanChunk <= end; t += kNanScanChunk) {
    bool any = false;
    for (int64_t j = 0; j < kNanScanChunk; ++j) any |= x[t + j] != x[t + j];
    if (any) break;
  }
  while (t < end && x[t] == x[t]) ++t;
  return t;
}
