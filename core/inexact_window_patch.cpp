// Finds the windows whose result the key order cannot decide and recomputes them the
// per-window way. Counts of NaN, -0.0 and +0.0 are kept as the window slides.
#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

#include "nan_zero_counts.h"
#include "running_median.h"
#include "sample_key.h"
#include "select_middle_by_blocks.h"
#include "sliding_engines.h"
#include "vector_width.h"

namespace {

// Which of NaN, -0.0 and +0.0 occur among the samples. Branch-free bit operations: the OR of
// the zeros' bits has its sign bit set when a -0.0 occurs, and their AND has it clear when a
// +0.0 occurs. SSE2 (every x86-64 has it) takes two samples a step.
struct SpecialsSeen {
  uint64_t nan;
  uint64_t zeros_or;
  uint64_t zeros_and;
};

inline void note_special(SpecialsSeen &seen, double v) {
  const uint64_t bits = same_bits_as<uint64_t>(v);
  const uint64_t zero = v == 0 ? ~uint64_t{0} : 0;
  seen.nan |= v != v;
  seen.zeros_or |= bits & zero;
  seen.zeros_and &= bits | ~zero;
}

void note_specials_of_chunk(SpecialsSeen &seen, const double *v, int64_t count) {
  int64_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
  __m128d nan = _mm_setzero_pd(), zeros_or = _mm_setzero_pd();
  __m128d zeros_and = _mm_castsi128_pd(_mm_set1_epi32(-1));
  for (; i + 2 <= count; i += 2) {
    const __m128d pair = _mm_loadu_pd(v + i);
    const __m128d zero = _mm_cmpeq_pd(pair, _mm_setzero_pd());
    nan = _mm_or_pd(nan, _mm_cmpunord_pd(pair, pair));
    zeros_or = _mm_or_pd(zeros_or, _mm_and_pd(pair, zero));
    zeros_and = _mm_and_pd(zeros_and,
                           _mm_or_pd(pair, _mm_xor_pd(zero, _mm_castsi128_pd(_mm_set1_epi32(-1)))));
  }
  // The sign bits of each lane say what the lane has seen.
  const uint64_t sign = uint64_t{1} << 63;
  if (_mm_movemask_pd(nan) != 0) seen.nan = 1;
  if (_mm_movemask_pd(zeros_or) != 0) seen.zeros_or |= sign;
  if (_mm_movemask_pd(zeros_and) != 3) seen.zeros_and &= ~sign;
#endif
  for (; i < count; ++i) note_special(seen, v[i]);
}

// True when no sample is a NaN or a zero: one ordered comparison a sample, which the widest
// vectors the processor has make a fraction of a cycle.
bool holds_no_nan_or_zero(const double *v, int64_t count) {
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
  return _mm256_movemask_pd(ordered_nonzero) == 15 && holds_no_nan_or_zero(v + i, count - i);
}
#endif

// Typical signals hold neither NaN nor zeros: each chunk is first screened for them, and only a
// chunk that holds one is looked at closely.
void note_specials(SpecialsSeen &seen, const double *v, int64_t count) {
  const int64_t kChunk = 2048;
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  const bool avx2 = usable_vector_width() >= kAvx2;
#else
  const bool avx2 = false;
#endif
  for (int64_t i = 0; i < count; i += kChunk) {
    const int64_t n = std::min(kChunk, count - i);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    if (avx2 ? holds_no_nan_or_zero_avx2(v + i, n) : holds_no_nan_or_zero(v + i, n)) continue;
#else
    if (holds_no_nan_or_zero(v + i, n)) continue;
#endif
    note_specials_of_chunk(seen, v + i, n);
  }
}

// Notes the samples at extended positions t ... end-1: those inside the signal read in place.
void note_span(SpecialsSeen &seen, const ExtendedSignal &e, int64_t t, int64_t end) {
  const int64_t inner_begin = std::min(std::max<int64_t>(t, 0), end);
  const int64_t inner_end = std::min(std::max(inner_begin, e.n), end);
  for (int64_t u = t; u < inner_begin; ++u) note_special(seen, outside_at(e, u));
  note_specials(seen, e.x + inner_begin, inner_end - inner_begin);
  for (int64_t u = inner_end; u < end; ++u) note_special(seen, outside_at(e, u));
}

// Output i's window into `window`: copied straight from x when it lies inside.
void gather_window(double *window, const ExtendedSignal &e, int32_t W, int64_t i) {
  const int64_t start = i - e.W2;
  if (start >= 0 && start + W <= e.n) {
    std::memcpy(window, e.x + start, static_cast<size_t>(W) * sizeof(double));
  } else {
    fill_window(window, e, W, i);
  }
}

}  // namespace

void select_every_window(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         double *out, double *window) {
  for (int64_t i = first; i < last; ++i) {
    gather_window(window, e, W, i);
    out[i - first] = select_middle_by_blocks(window, W);
  }
}

bool may_need_selection(const ExtendedSignal &e, int64_t first, int64_t last) {
  SpecialsSeen seen = {0, 0, ~uint64_t{0}};
  note_span(seen, e, first - e.W2, last + e.W2);
  const bool negative_zero = (seen.zeros_or >> 63) != 0;
  const bool positive_zero = (seen.zeros_and >> 63) == 0;
  return seen.nan != 0 || (negative_zero && positive_zero);
}

int64_t windows_holding_nan(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last) {
  int64_t nan = 0, windows = 0;
  for (int64_t j = 0; j < W; ++j) nan += std::isnan(extended_at(e, first - e.W2 + j));
  for (int64_t i = first; i < last; ++i) {
    if (i > first)
      nan += std::isnan(extended_at(e, i + e.W2)) - std::isnan(extended_at(e, i - 1 - e.W2));
    windows += nan > 0;
  }
  return windows;
}

void patch_inexact_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                           double *out, double *window) {
  SpecialCounts c = {0, 0, 0};
  for (int64_t j = 0; j < W; ++j) count_special(c, extended_at(e, first - e.W2 + j), 1);
  for (int64_t i = first; i < last; ++i) {
    if (i > first) {
      count_special(c, extended_at(e, i - 1 - e.W2), -1);
      count_special(c, extended_at(e, i + e.W2), 1);
    }
    if (needs_selection(c, out[i - first])) {
      gather_window(window, e, W, i);
      out[i - first] = select_middle_by_blocks(window, W);
    }
  }
}
