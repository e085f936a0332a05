// An experiment kept for its figures: the block engine's outputs cut into S stretches, each
// slid by its own pair of sorted blocks, the S slides done in lockstep (step j of every stretch,
// then step j+1), with the branch-free slide below or the engine's own, and (where the processor
// has AVX-512) eight stretches in vector lanes, read by gathers and linked by scatters. Each
// stretch starts with the block of its first output's window, so its outputs are those windows'
// median keys: the same bits as one pass, which the driver checks before it prints a time. Built
// and run by bench/lockstep_experiment.sh; the engine's source is included to reach its
// internals.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/engines/block_sort_medians.cpp"
#include "core/support/vector_lanes.h"
#include "plain_allocator.h"
namespace {
inline void relink(const SortedBlock &B, uint32_t entering) {
  next_of(B, prev_of(B, entering)) = entering;
  prev_of(B, next_of(B, entering)) = entering;
}
inline void slide_bf(const SortedBlock &A, const SortedBlock &B, uint32_t j, Split &s) {
  const uint32_t leaving = slot_of_rank(A.rank_of[j]);
  int32_t excess = -static_cast<int32_t>(leaving < s.a);
  const uint32_t after_leaving = next_of(A, leaving);
  uint32_t sa = leaving == s.a ? after_leaving : s.a;
  unlink(A, leaving);
  const uint32_t entering = slot_of_rank(B.rank_of[j]);
  relink(B, entering);
  uint32_t sb = s.b;
  const bool before = entering < sb;
  const bool bigger = key_at(B, entering) > key_at(A, sa);
  sb = (before & bigger) ? entering : sb;
  excess += static_cast<int32_t>(before & !bigger);
  const uint32_t a_prev = prev_of(A, sa), b_prev = prev_of(B, sb);
  const uint32_t a_next = next_of(A, sa), b_next = next_of(B, sb);
  const bool a_above = key_at(A, a_prev) > key_at(B, b_prev);
  const bool a_bigger = key_at(A, sa) > key_at(B, sb);
  const bool up = excess > 0, down = excess < 0;
  const uint32_t na = up ? (a_above ? a_prev : sa) : down ? (a_bigger ? sa : a_next) : sa;
  const uint32_t nb = up ? (a_above ? sb : b_prev) : down ? (a_bigger ? b_next : sb) : sb;
  s.a = na;
  s.b = nb;
}

#if defined(PLORVENT_X86_64_LANES) && defined(__GNUC__)
#define LOCKSTEP_AVX512 1
// Eight stretches in the lanes of AVX-512 vectors: every lane holds a stretch's block addresses
// and cursors as 64-bit integers, each list read by a gather and each list link written by a
// scatter (a lane's writes touch its own blocks only). The step is slide_bf's, decision for
// decision; each step's eight median keys are stored side by side and written out after the
// block.
#define AVX512_TARGET __attribute__((target("avx512f,avx512vl,avx512dq")))

AVX512_TARGET inline __m512i gather_keys(__m512i base, __m512i slot) {
  return _mm512_i64gather_epi64(_mm512_add_epi64(base, _mm512_slli_epi64(slot, 3)), nullptr, 1);
}

// next in the low 32 bits, prev in the high.
AVX512_TARGET inline __m512i gather_links(__m512i base, __m512i slot) {
  const __m512i at = _mm512_add_epi64(base, _mm512_slli_epi64(slot, 3));
  return _mm512_i64gather_epi64(_mm512_add_epi64(at, _mm512_set1_epi64(8)), nullptr, 1);
}

AVX512_TARGET inline void scatter_link(__m512i base, __m512i slot, int offset, __m512i value) {
  const __m512i at = _mm512_add_epi64(base, _mm512_slli_epi64(slot, 3));
  _mm512_i64scatter_epi32(nullptr, _mm512_add_epi64(at, _mm512_set1_epi64(offset)),
                          _mm512_cvtepi64_epi32(value), 1);
}

// The keys at the cursors are carried from step to step (key_sa, key_sb), so that a step
// gathers only what moved: eleven gathers and four scatters for eight slides.
AVX512_TARGET void simd8_block(__m512i nodeA, __m512i nodeB, __m512i rankA, __m512i rankB,
                               int32_t W, __m512i &sa, __m512i &sb, int64_t *keys) {
  const __m512i low32 = _mm512_set1_epi64(0xffffffff);
  __m512i key_sa = gather_keys(nodeA, sa), key_sb = gather_keys(nodeB, sb);
  for (int32_t j = 0; j < W; ++j) {
    const __m512i offset = _mm512_set1_epi64(4 * int64_t{j});
    const __m512i leaving = _mm512_slli_epi64(
        _mm512_cvtepu32_epi64(_mm512_i64gather_epi32(_mm512_add_epi64(rankA, offset), nullptr, 1)),
        1);
    const __mmask8 leaves_small = _mm512_cmplt_epu64_mask(leaving, sa);
    const __m512i links_l = gather_links(nodeA, leaving);
    const __m512i next_l = _mm512_and_si512(links_l, low32),
                  prev_l = _mm512_srli_epi64(links_l, 32);
    const __mmask8 cursor_leaves = _mm512_cmpeq_epu64_mask(leaving, sa);
    sa = _mm512_mask_mov_epi64(sa, cursor_leaves, next_l);
    if (cursor_leaves) {  // seldom: a lane's cursor itself leaves
      key_sa = _mm512_mask_i64gather_epi64(
          key_sa, cursor_leaves, _mm512_add_epi64(nodeA, _mm512_slli_epi64(sa, 3)), nullptr, 1);
    }
    scatter_link(nodeA, prev_l, 8, next_l);
    scatter_link(nodeA, next_l, 12, prev_l);
    const __m512i entering = _mm512_slli_epi64(
        _mm512_cvtepu32_epi64(_mm512_i64gather_epi32(_mm512_add_epi64(rankB, offset), nullptr, 1)),
        1);
    const __m512i links_e = gather_links(nodeB, entering);
    scatter_link(nodeB, _mm512_srli_epi64(links_e, 32), 8, entering);
    scatter_link(nodeB, _mm512_and_si512(links_e, low32), 12, entering);
    const __mmask8 before = _mm512_cmplt_epu64_mask(entering, sb);
    const __m512i key_e = gather_keys(nodeB, entering);
    const __mmask8 bigger = _mm512_cmpgt_epi64_mask(key_e, key_sa);
    sb = _mm512_mask_mov_epi64(sb, before & bigger, entering);
    key_sb = _mm512_mask_mov_epi64(key_sb, before & bigger, key_e);
    const __mmask8 enters_small = before & static_cast<__mmask8>(~bigger);
    const __m512i links_a = gather_links(nodeA, sa), links_b = gather_links(nodeB, sb);
    const __m512i a_next = _mm512_and_si512(links_a, low32),
                  a_prev = _mm512_srli_epi64(links_a, 32);
    const __m512i b_next = _mm512_and_si512(links_b, low32),
                  b_prev = _mm512_srli_epi64(links_b, 32);
    const __m512i key_a_prev = gather_keys(nodeA, a_prev), key_b_prev = gather_keys(nodeB, b_prev);
    const __mmask8 a_above = _mm512_cmpgt_epi64_mask(key_a_prev, key_b_prev);
    const __mmask8 a_bigger = _mm512_cmpgt_epi64_mask(key_sa, key_sb);
    const __mmask8 up = enters_small & static_cast<__mmask8>(~leaves_small);
    const __mmask8 down = leaves_small & static_cast<__mmask8>(~enters_small);
    const __mmask8 a_back = up & a_above, a_on = down & static_cast<__mmask8>(~a_bigger);
    const __mmask8 b_back = up & static_cast<__mmask8>(~a_above), b_on = down & a_bigger;
    sa = _mm512_mask_mov_epi64(_mm512_mask_mov_epi64(sa, a_back, a_prev), a_on, a_next);
    sb = _mm512_mask_mov_epi64(_mm512_mask_mov_epi64(sb, b_back, b_prev), b_on, b_next);
    key_sa = _mm512_mask_mov_epi64(key_sa, a_back, key_a_prev);
    key_sa = _mm512_mask_i64gather_epi64(
        key_sa, a_on, _mm512_add_epi64(nodeA, _mm512_slli_epi64(sa, 3)), nullptr, 1);
    key_sb = _mm512_mask_mov_epi64(key_sb, b_back, key_b_prev);
    key_sb = _mm512_mask_i64gather_epi64(
        key_sb, b_on, _mm512_add_epi64(nodeB, _mm512_slli_epi64(sb, 3)), nullptr, 1);
    _mm512_storeu_si512(keys + 8 * int64_t{j}, _mm512_min_epi64(key_sa, key_sb));
  }
}

AVX512_TARGET __m512i lane_pointers(const SortedBlock *b, bool ranks) {
  alignas(64) int64_t v[8];
  for (int k = 0; k < 8; ++k) {
    v[k] = reinterpret_cast<int64_t>(ranks ? reinterpret_cast<char *>(b[k].rank_of) : b[k].node);
  }
  return _mm512_load_si512(v);
}

AVX512_TARGET __m512i lane_slots(const Split *sp, bool b) {
  alignas(64) int64_t v[8];
  for (int k = 0; k < 8; ++k) v[k] = b ? sp[k].b : sp[k].a;
  return _mm512_load_si512(v);
}

// One block of eight stretches' slides in vector lanes: each step's median key of stretch k to
// keys[8*j + k]; the splits are read from and left in sp.
AVX512_TARGET void slide_block_in_lanes(const SortedBlock *A, const SortedBlock *B, int32_t W,
                                        Split *sp, int64_t *keys) {
  __m512i sa = lane_slots(sp, false), sb = lane_slots(sp, true);
  simd8_block(lane_pointers(A, false), lane_pointers(B, false), lane_pointers(A, true),
              lane_pointers(B, true), W, sa, sb, keys);
  alignas(64) int64_t a[8], b[8];
  _mm512_store_si512(a, sa);
  _mm512_store_si512(b, sb);
  for (int k = 0; k < 8; ++k) sp[k] = {static_cast<uint32_t>(a[k]), static_cast<uint32_t>(b[k])};
}
#endif

// How the stretches slide: by the engine's own step, by slide_bf, or (eight of them) in vector
// lanes.
enum StepKind { kEngineStep, kBranchFreeStep, kVectorLanes };

template <int S, StepKind kStep>
void lockstep_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last, double *out,
                      std::vector<std::vector<char>> &mem) {
  // Stretch k: outputs [first + k*len, ...). Each a whole number of blocks of W outputs + 1.
  const int64_t count = last - first;
  const int64_t blocks = (count + W - 1) / W;
  const int64_t per = (blocks + S - 1) / S;  // blocks a stretch
  SortedBlock A[S], B[S];
  SortScratch sort[S];
  Split sp[S];
  int64_t start[S], stop[S];
  std::vector<int64_t> keys(kStep == kVectorLanes ? 8 * static_cast<size_t>(W) : 0);
  for (int k = 0; k < S; ++k) {
    StorageLayout layout = carving_layout(mem[k].data());
    BlockSortRoom room = carve_block_sort_room(layout, W);
    A[k] = room.A;
    B[k] = room.B;
    sort[k] = room.sort;
    start[k] = std::min(count, k * per * W);
    stop[k] = std::min(count, (k + 1) * per * W);
    if (start[k] < stop[k]) {
      load_block(A[k], e, W, first + start[k] - e.W2, W, sort[k], false);
      sp[k] = {slot_of_rank(static_cast<uint32_t>(e.W2)), above_slot(W)};
      out[start[k]] = value_of(key_at(A[k], sp[k].a));
    }
  }
  const int64_t end = last + e.W2;
  for (int64_t i = 0; i < per * W; i += W) {
    int32_t steps[S];
    bool full = true;
    for (int k = 0; k < S; ++k) {
      const int64_t at = start[k] + i;
      steps[k] = 0;
      if (at + 1 < stop[k]) {
        load_entering_block(B[k], e, W, first + at - e.W2 + W, end, sort[k], false);
        steps[k] = static_cast<int32_t>(std::min<int64_t>(W, stop[k] - 1 - at));
      }
      full = full && steps[k] == W;
    }
    if (full && kStep == kVectorLanes) {
#ifdef LOCKSTEP_AVX512
      static_assert(kStep != kVectorLanes || S == 8, "eight lanes");
      slide_block_in_lanes(A, B, W, sp, keys.data());
      for (int k = 0; k < S; ++k) {
        for (int32_t j = 0; j < W; ++j) out[start[k] + i + j + 1] = value_of(keys[8 * j + k]);
      }
#endif
    } else if (full) {
      for (int32_t j = 0; j < W; ++j) {
        for (int k = 0; k < S; ++k) {
          if (kStep == kBranchFreeStep)
            slide_bf(A[k], B[k], static_cast<uint32_t>(j), sp[k]);
          else
            slide(A[k], B[k], static_cast<uint32_t>(j), sp[k]);
          out[start[k] + i + j + 1] = value_of(rank_key(A[k], B[k], sp[k]));
        }
      }
    } else {
      for (int k = 0; k < S; ++k) {
        for (int32_t j = 0; j < steps[k]; ++j) {
          slide(A[k], B[k], static_cast<uint32_t>(j), sp[k]);
          out[start[k] + i + j + 1] = value_of(rank_key(A[k], B[k], sp[k]));
        }
      }
    }
    for (int k = 0; k < S; ++k) {
      if (steps[k] > 0) {
        std::swap(A[k], B[k]);
        sp[k] = {sp[k].b, above_slot(W)};
      }
    }
  }
}

}  // namespace

int main(int argc, char **argv) {
  const int64_t n = argc > 2 ? std::atoll(argv[2]) : 1000000;
  std::mt19937_64 g(5);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<double> x(n);
  for (auto &v : x) v = u(g);
  const char *ws = argc > 1 ? argv[1] : "101,1001,10001";
  std::vector<int> widths;
  for (const char *c = ws; *c;) {
    widths.push_back(std::atoi(c));
    while (*c && *c != ',') ++c;
    if (*c) ++c;
  }
  std::printf(
      "| W | block engine (ns) | S=4 branchy | S=1 branch-free | S=2 | S=4 | S=8 | S=16 | S=8 "
      "AVX-512 |\n");
  std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (int W : widths) {
    const int32_t W2 = W / 2;
    std::vector<double> xic(W2, 0.0), xfc(W2, 0.0);
    ExtendedSignal e = with_extension_arrays(x.data(), xic.data(), xfc.data(), n, W2);
    std::vector<double> ref(n), got(n);
    std::vector<char> storage(block_sort_storage_bytes(W));
    std::vector<std::vector<char>> mem(16, std::vector<char>(block_sort_storage_bytes(W)));
    auto time = [&](auto f) {
      double best = 1e9;
      for (int r = 0; r < 5; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
      }
      return best * 1e9 / n;
    };
    // The block engine is timed before and after the lockstep runs; the better of the two counts.
    double base = time([&] { block_sort_medians(e, W, 0, n, ref.data(), storage.data()); });
    std::string row;
    auto cell = [&](auto f) {
      std::fill(got.begin(), got.end(), 0.0);
      const double ns = time(f);
      if (std::memcmp(ref.data(), got.data(), n * sizeof(double)) != 0) {
        std::printf("W = %d: the lockstep outputs differ from the block engine's\n", W);
        std::exit(1);
      }
      char text[64];
      std::snprintf(text, sizeof text, " %.1f |", ns);
      row += text;
    };
    cell([&] { lockstep_medians<4, kEngineStep>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<1, kBranchFreeStep>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<2, kBranchFreeStep>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<4, kBranchFreeStep>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<8, kBranchFreeStep>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<16, kBranchFreeStep>(e, W, 0, n, got.data(), mem); });
#ifdef LOCKSTEP_AVX512
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")) {
      cell([&] { lockstep_medians<8, kVectorLanes>(e, W, 0, n, got.data(), mem); });
    } else {
      row += " no AVX-512 |";
    }
#endif
    base =
        std::min(base, time([&] { block_sort_medians(e, W, 0, n, ref.data(), storage.data()); }));
    std::printf("| %d | %.1f |%s\n", W, base, row.c_str());
  }
}
