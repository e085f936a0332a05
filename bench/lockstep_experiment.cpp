// An experiment kept for its figures: the block engine's outputs cut into S stretches, each
// slid by its own pair of sorted blocks, the S slides done in lockstep (step j of every stretch,
// then step j+1), with the branch-free slide below or the engine's own. Each stretch starts with
// the block of its first output's window, so its outputs are those windows' median keys: the
// same bits as one pass, which the driver checks before it prints a time. Built and run by
// bench/lockstep_experiment.sh; the engine's source is included to reach its internals.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/engines/block_sort_medians.cpp"
extern "C" {
void *mxCalloc(size_t n, size_t size) {
  return std::calloc(n ? n : 1, size ? size : 1);
}
void mxFree(void *p) {
  std::free(p);
}
}
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

template <int S, bool kBranchFree>
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
  for (int k = 0; k < S; ++k) {
    StorageLayout layout = carving_layout(mem[k].data());
    BlockSortRoom room = carve_block_sort_room(layout, W);
    A[k] = room.A;
    B[k] = room.B;
    sort[k] = room.sort;
    start[k] = std::min(count, k * per * W);
    stop[k] = std::min(count, (k + 1) * per * W);
    if (start[k] < stop[k]) {
      load_block(A[k], e, W, first + start[k] - e.W2, W, sort[k]);
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
        load_entering_block(B[k], e, W, first + at - e.W2 + W, end, sort[k]);
        steps[k] = static_cast<int32_t>(std::min<int64_t>(W, stop[k] - 1 - at));
      }
      full = full && steps[k] == W;
    }
    if (full) {
      for (int32_t j = 0; j < W; ++j) {
        for (int k = 0; k < S; ++k) {
          if (kBranchFree)
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
      "| W | block engine (ns) | S=4 branchy | S=1 branch-free | S=2 | S=4 | S=8 | S=16 |\n");
  std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
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
    cell([&] { lockstep_medians<4, false>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<1, true>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<2, true>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<4, true>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<8, true>(e, W, 0, n, got.data(), mem); });
    cell([&] { lockstep_medians<16, true>(e, W, 0, n, got.data(), mem); });
    base =
        std::min(base, time([&] { block_sort_medians(e, W, 0, n, ref.data(), storage.data()); }));
    std::printf("| %d | %.1f |%s\n", W, base, row.c_str());
  }
}
