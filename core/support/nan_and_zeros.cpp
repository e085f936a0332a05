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
// x86-64 has it) takes two doubles a step, and singles widened to doubles (exactly: NaN stays
// NaN, each zero keeps its sign and no other single becomes zero).
#ifdef PLORVENT_X86_64_LANES
struct PairScreen {
  __m128d nan, zeros_or, zeros_and;
};

PairScreen clear_pair_screen() {
  return {_mm_setzero_pd(), _mm_setzero_pd(), _mm_castsi128_pd(_mm_set1_epi32(-1))};
}

inline void screen_pair(PairScreen &s, __m128d pair) {
  const __m128d zero = _mm_cmpeq_pd(pair, _mm_setzero_pd());
  const __m128d nonzero = _mm_xor_pd(zero, _mm_castsi128_pd(_mm_set1_epi32(-1)));
  s.nan = _mm_or_pd(s.nan, _mm_cmpunord_pd(pair, pair));
  s.zeros_or = _mm_or_pd(s.zeros_or, _mm_and_pd(pair, zero));
  s.zeros_and = _mm_and_pd(s.zeros_and, _mm_or_pd(pair, nonzero));
}

// The sign bits of each lane say what the lane has seen.
void note_screened(SpecialsSeen &seen, const PairScreen &s) {
  seen.nan = seen.nan || _mm_movemask_pd(s.nan) != 0;
  seen.negative_zero = seen.negative_zero || _mm_movemask_pd(s.zeros_or) != 0;
  seen.positive_zero = seen.positive_zero || _mm_movemask_pd(s.zeros_and) != 3;
}
#endif

void note_specials_of_chunk(SpecialsSeen &seen, const double *v, int64_t count) {
  int64_t i = 0;
#ifdef PLORVENT_X86_64_LANES
  PairScreen s = clear_pair_screen();
  for (; i + 2 <= count; i += 2) screen_pair(s, _mm_loadu_pd(v + i));
  note_screened(seen, s);
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

// As a chunk of doubles is, four singles a step.
void note_specials(SpecialsSeen &seen, const float *v, int64_t count) {
  int64_t i = 0;
#ifdef PLORVENT_X86_64_LANES
  PairScreen s = clear_pair_screen();
  for (; i + 4 <= count; i += 4) {
    const __m128 four = _mm_loadu_ps(v + i);
    screen_pair(s, _mm_cvtps_pd(four));
    screen_pair(s, _mm_cvtps_pd(_mm_movehl_ps(four, four)));
  }
  note_screened(seen, s);
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
