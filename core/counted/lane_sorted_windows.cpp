// Short windows sorted across SIMD lanes: the kernel (lane_sorted_kernel.h) compiled for each
// instruction set, the choice among them, and the zeros signed by count.
#include "core/counted/lane_sorted_windows.h"

#include <algorithm>
#include <cfenv>
#include <limits>
#include <utility>

#include "core/support/expanded_kernels.h"
#include "core/support/floating_point_state.h"
#include "core/support/nan_and_zeros.h"
#include "core/support/unfused_arithmetic.h"
#include "core/support/vector_lanes.h"
#include "core/support/vector_width.h"

namespace {

// The longest window with a kernel of its own, its rows in registers; longer windows share one
// kernel, their rows in memory.
constexpr int32_t kLongestExpandedWindow = 32;

// The longest window served with `lanes` lanes: beyond it the counted engine is faster (measured
// on x86-64 for plain doubles, SSE2 and AVX2; NEON, with as many lanes, is given SSE2's, and
// AVX-512, which could not be measured, AVX2's).
constexpr int32_t longest_window_for(int lanes) {
  return lanes >= 4 ? 128 : lanes == 2 ? 96 : 48;
}
constexpr int32_t kLongestLaneWindow = longest_window_for(8);

// How a quantile is read from the sorted rows: one rank, or between it and the next.
enum LaneFinishKind : int32_t { kOneRank, kMeanOfRanks, kBetweenRanks };

struct LaneFinish {
  LaneFinishKind kind;
  int32_t rank;
  double weight;  // kBetweenRanks: of the next rank
};

// Returns whether every sample is neither NaN nor zero.
typedef bool (*LaneKernel)(const double *x, int64_t count, int32_t W, const LaneFinish &finish,
                           double *values, double *medians);

// One instruction set's kernels.
struct LaneKernels {
  const LaneKernel *quantile;  // for W = 2 ... kLongestExpandedWindow, entry W-2
  const LaneKernel *mad;
  LaneKernel any_quantile;  // for any W
  LaneKernel any_mad;
  int lanes;
  int32_t longest;  // the longest window these serve
};

#define PLORVENT_KERNEL_FILE "core/counted/lane_sorted_kernel.h"
#include "core/support/each_instruction_set.h"
#undef PLORVENT_KERNEL_FILE

// window_quantile's reading of a position: one rank, the mean of two, or interpolated (a weight
// of 0 or 1 gives one of the two ranks as it is).
LaneFinish finish_of(const QuantilePosition &q) {
  if (q.upper == q.lower || q.weight == 0) return {kOneRank, static_cast<int32_t>(q.lower), 0};
  if (q.weight == 1) return {kOneRank, static_cast<int32_t>(q.upper), 0};
  if (q.weight == 0.5) return {kMeanOfRanks, static_cast<int32_t>(q.lower), 0.5};
  return {kBetweenRanks, static_cast<int32_t>(q.lower), q.weight};
}

// The kernels the processor's vectors (and a test's limit) allow.
LaneKernels lane_kernels_in_use() {
  const VectorWidth width = usable_vector_width();
#ifdef PLORVENT_X86_64_LANES
  if (width >= kAvx512) return avx512::lane_kernels();
  if (width >= kAvx2) return avx2::lane_kernels();
  if (width >= kSse2) return sse2::lane_kernels();
#endif
#ifdef PLORVENT_NEON_LANES
  if (width >= kNeon) return neon::lane_kernels();
#endif
  (void)width;
  return scalar::lane_kernels();
}

// Each zero result given the sign of its window's zeros, counted as the window slides.
void sign_zeros_by_count(const double *x, int64_t count, int32_t W, double *out) {
  SpecialCounts c = {0, 0, 0};
  for (int32_t j = 0; j + 1 < W; ++j) count_special(c, x[j], 1);
  for (int64_t i = 0; i < count; ++i) {
    count_special(c, x[i + W - 1], 1);
    out[i] = signed_by_count(out[i], c);
    count_special(c, x[i], -1);
  }
}

}  // namespace

LaneStatistic lane_statistic(const MovingStatistic &statistic, int32_t W) {
  switch (statistic.kind) {
    case kMadStatistic:
      return {true, {0, 0, 0}};
    case kQuantileStatistic:
      return {false, quantile_position(W, statistic.quantile.p, statistic.quantile.method)};
    default:
      if (W % 2 == 1) return {false, {W / 2, W / 2, 0}};
      return {false, {W / 2 - 1, W / 2, 0.5}};
  }
}

int32_t longest_lane_sorted_window() {
  return lane_kernels_in_use().longest;
}

bool lane_sorted_windows_serve(int32_t W) {
  return W >= 2 && W <= longest_lane_sorted_window() && floating_point_state_is_default() &&
         std::fegetround() == FE_TONEAREST;
}

bool lane_sorted_statistics(const double *x, int64_t count, int32_t W, const LaneStatistic &s,
                            double *values, double *medians) {
  if (count <= 0) return true;
  // Fewer outputs than a vector of lanes would each start with a whole window: one lane then.
  LaneKernels kernels = lane_kernels_in_use();
  if (count < int64_t{kernels.lanes} * kernels.lanes) kernels = scalar::lane_kernels();
  LaneKernel kernel = s.mad ? kernels.any_mad : kernels.any_quantile;
  if (W <= kLongestExpandedWindow) kernel = (s.mad ? kernels.mad : kernels.quantile)[W - 2];
  if (kernel(x, count, W, finish_of(s.position), values, medians)) return true;
  // A NaN or a zero was read: the samples, in cache now, are screened for which.
  SpecialsSeen seen = no_specials_seen();
  note_specials(seen, x, count + W - 1);
  if (seen.nan) return false;
  double *signed_outputs = s.mad ? medians : values;
  if (seen.negative_zero && signed_outputs) sign_zeros_by_count(x, count, W, signed_outputs);
  return true;
}
