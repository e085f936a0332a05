// An experiment kept for its figures: the counted engine's median of whole windows of W samples,
// one segment at a time as the engine slides it, against S segments slid in lockstep (step j of
// every segment, then step j+1) by a step without data-dependent branches. Both rank each
// segment with the engine's own start_counted; the lockstep step keeps its own bit levels and
// one cursor, and finds the next median among the three ranks next to the last one, by bit scans
// of two words (a third word or more only on a rare, separate path). Every run's outputs are
// checked bit for bit against the engine's before a time is printed. Built and run by
// bench/counted_lockstep_experiment.sh.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/counted/counted_windows.h"
#include "core/support/nan_and_zeros.h"
#include "core/support/storage_layout.h"
#include "plain_allocator.h"

namespace {

MovingWindows whole_windows(int32_t W) {
  MovingWindows w = {};
  w.back = W / 2;
  w.forward = W / 2;
  return w;
}

// Outputs a segment serves: the engine's count for these windows, unless the command line sets
// one (to see how the segments' storage, S times over, meets the caches).
int64_t segment_outputs = 0;

int64_t segment_length(int32_t W) {
  return segment_outputs > 0 ? segment_outputs : std::max<int64_t>(4096, 4 * int64_t{W - 1});
}

struct Room {
  std::vector<char> bytes;
  CountedRoom room;
};

Room room_for(int64_t span, const MovingStatistic &m) {
  Room r;
  StorageLayout measure = measuring_layout();
  carve_counted_room(measure, span, m);
  r.bytes.resize(measure.used + 64);
  StorageLayout carve = carving_layout(r.bytes.data());
  r.room = carve_counted_room(carve, span, m);
  return r;
}

// The engine as the moving mode runs it: outputs W2 ... n-W2-1, segment by segment.
void single_stream(const std::vector<double> &x, int32_t W, double *out, Room &room) {
  const int64_t n = static_cast<int64_t>(x.size()), h = W / 2;
  const MovingWindows w = whole_windows(W);
  const MovingStatistic m = median_statistic();
  const Outputs o = {m, nullptr, out, nullptr, {}};
  for (int64_t a = h; a < n - h; a += segment_length(W)) {
    const int64_t b = std::min(n - h, a + segment_length(W));
    Counted c;
    start_counted(x.data(), a - h, b - 1 + h, w, m, room.room, &c);
    for (int64_t i = a; i < b; ++i) {
      slide_counted(&c, i - h, i + h);
      finish_counted(&c, w, 0, from(o, a - h), i - a);
    }
  }
}

// The ranking alone, segment by segment, as both ways do it.
void rank_only(const std::vector<double> &x, int32_t W, Room &room) {
  const int64_t n = static_cast<int64_t>(x.size()), h = W / 2;
  for (int64_t a = h; a < n - h; a += segment_length(W)) {
    const int64_t b = std::min(n - h, a + segment_length(W));
    Counted c;
    start_counted(x.data(), a - h, b - 1 + h, whole_windows(W), median_statistic(), room.room, &c);
  }
}

// One segment's lockstep state: its ranks (by the engine), its own bit levels with a zero word
// before and after each, and the median's rank with the count below it.
struct Lane {
  Counted c;
  std::vector<uint64_t> words[kRankLevels];
  RankSet set;
  int32_t median;
  SpecialCounts specials;
};

void clear_lane(Lane *l, int64_t ranks) {
  l->set = {};
  int64_t bits = ranks;
  do {
    const int32_t n = words_for(bits);
    l->words[l->set.levels].assign(static_cast<size_t>(n) + 2, 0);
    l->set.level[l->set.levels] = l->words[l->set.levels].data() + 1;
    ++l->set.levels;
    bits = n;
  } while (bits > 1);
}

inline void insert_bits(RankSet &s, int32_t rank) {
  uint32_t place = static_cast<uint32_t>(rank);
  for (int32_t l = 0; l < s.levels; ++l, place >>= 6)
    s.level[l][place >> 6] |= 1ull << (place & 63);
}

// Clears the rank, and each level's mark whose word below it has emptied, with no branch.
inline void erase_bits(RankSet &s, int32_t rank) {
  uint32_t place = static_cast<uint32_t>(rank);
  uint64_t clear = 1;
  for (int32_t l = 0; l < s.levels; ++l, place >>= 6) {
    uint64_t &word = s.level[l][place >> 6];
    word &= ~(clear << (place & 63));
    clear = word == 0;
  }
}

// The lowest set bit, 64 for none; the highest, -1 for none.
inline int lowest_or_64(uint64_t w) {
  return w ? lowest_bit(w) : 64;
}
inline int highest_or_none(uint64_t w) {
  return w ? highest_bit(w) : -1;
}

// One slide of a lane: sample at `leaving` out, at `entering` in (positions of the segment), and
// the new median of rank k = W2 in the window, with no branch but the rare far scan.
inline double lane_step(Lane &l, int64_t leaving, int64_t entering) {
  const int32_t *rank_at = l.c.room.rank_at;
  const double *sorted = l.c.room.sorted;
  const int32_t out_rank = rank_at[leaving], in_rank = rank_at[entering];
  count_special(l.specials, sorted[out_rank], -1);
  count_special(l.specials, sorted[in_rank], 1);
  insert_bits(l.set, in_rank);
  erase_bits(l.set, out_rank);
  const int32_t r = l.median;
  const int shift =
      static_cast<int>(static_cast<int32_t>(out_rank < r) - static_cast<int32_t>(in_rank < r) + 1);
  // shift 0: the largest rank below r; 1: the smallest at r or above; 2: the one after that.
  const uint64_t *level0 = l.set.level[0];
  const int32_t word = r >> 6, base = r & ~63;
  const uint64_t here = level0[word];
  const uint64_t up0 = here & (~0ull << (r & 63)), up1 = level0[word + 1];
  const uint64_t down0 = here & ~(~0ull << (r & 63)), down1 = level0[word - 1];
  const int first_up = up0 ? lowest_bit(up0) : 64 + lowest_or_64(up1);
  const uint64_t up0b = up0 & (up0 - 1), up1b = up0 ? up1 : up1 & (up1 - 1);
  const int second_up = up0b ? lowest_bit(up0b) : 64 + lowest_or_64(up1b);
  const int below = down0 ? highest_bit(down0) : highest_or_none(down1) - 64;
  int offset = shift == 0 ? below : shift == 1 ? first_up : second_up;
  int32_t next = base + offset;
  if (offset < -64 || offset >= 128) {  // beyond the two words scanned
    next = shift == 0   ? previous_rank(l.set, r)
           : shift == 1 ? next_rank(l.set, r)
                        : next_rank(l.set, next_rank(l.set, r) + 1);
  }
  l.median = next;
  return signed_by_count(sorted[next], l.specials);
}

// Starts a lane on the segment of outputs a ... b-1: ranks, the first window in, its median.
void start_lane(const std::vector<double> &x, int32_t W, int64_t a, int64_t b, Lane *l,
                const CountedRoom &room, double *first_out) {
  const int64_t h = W / 2;
  const MovingWindows w = whole_windows(W);
  start_counted(x.data(), a - h, b - 1 + h, w, median_statistic(), room, &l->c);
  clear_lane(l, b - a + 2 * h);
  l->specials = {0, 0, 0};
  for (int64_t p = 0; p < W; ++p) {
    insert_bits(l->set, l->c.room.rank_at[p]);
    count_special(l->specials, l->c.room.sorted[l->c.room.rank_at[p]], 1);
  }
  RankCursor cursor = {0, 0};
  l->median = kth_rank(l->set, &cursor, h);
  *first_out = signed_by_count(l->c.room.sorted[l->median], l->specials);
}

// Outputs W2 ... n-W2-1, S segments at a time in lockstep; a last group of fewer goes one by one.
template <int S>
void lockstep(const std::vector<double> &x, int32_t W, double *out, std::vector<Room> &rooms,
              std::vector<Lane> &lanes, Room &single_room) {
  const int64_t n = static_cast<int64_t>(x.size()), h = W / 2, len = segment_length(W);
  int64_t a = h;
  for (; a + S * len <= n - h; a += S * len) {
    for (int s = 0; s < S; ++s) {
      const int64_t from = a + s * len;
      start_lane(x, W, from, from + len, &lanes[s], rooms[s].room, out + from - h);
    }
    for (int64_t j = 1; j < len; ++j) {
      for (int s = 0; s < S; ++s) out[a + s * len + j - h] = lane_step(lanes[s], j - 1, j + 2 * h);
    }
  }
  if (a < n - h) {
    std::vector<double> tail(x.begin() + (a - h), x.end());
    single_stream(tail, W, out + a - h, single_room);
  }
}

std::vector<double> signal(const std::string &kind, int64_t n) {
  std::mt19937_64 g(7);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<double> x(static_cast<size_t>(n));
  double walk = 0;
  for (int64_t i = 0; i < n; ++i) {
    double &v = x[static_cast<size_t>(i)];
    if (kind == "uniform") v = u(g);
    if (kind == "walk") v = walk += u(g) - 0.5;
    if (kind == "two-level") v = u(g) < 0.5 ? 0 : 1;
    if (kind == "alternating") v = static_cast<double>(i % 2);
    if (kind == "sorted") v = static_cast<double>(i);
    if (kind == "clusters") v = u(g) < 0.5 ? u(g) : 1e6 + u(g);
  }
  return x;
}

template <class F>
double best_ns(F f, int64_t outputs, int runs) {
  double best = 1e300;
  for (int r = 0; r < runs; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::nano>(t1 - t0).count() / outputs);
  }
  return best;
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<int32_t> widths;
  for (const char *p = argc > 1 ? argv[1] : "101,1001"; *p;) {
    widths.push_back(static_cast<int32_t>(std::strtol(p, const_cast<char **>(&p), 10)));
    if (*p == ',') ++p;
  }
  const int64_t n = argc > 2 ? std::atoll(argv[2]) : 1000000;
  segment_outputs = argc > 3 ? std::atoll(argv[3]) : 0;
  const int runs = 5;
  std::printf("| signal | W | engine | its ranking | S = 1 | S = 4 | S = 8 | S = 16 |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const char *kind : {"uniform", "walk", "two-level", "alternating", "sorted", "clusters"}) {
    const std::vector<double> x = signal(kind, n);
    for (int32_t W : widths) {
      const int64_t outputs = n - (W - 1);
      const int64_t span = segment_length(W) + W;
      Room single = room_for(span, median_statistic());
      std::vector<Room> rooms;
      for (int s = 0; s < 16; ++s) rooms.push_back(room_for(span, median_statistic()));
      std::vector<Lane> lanes(16);
      std::vector<double> want(static_cast<size_t>(outputs)), got(want.size());
      const double engine =
          best_ns([&] { single_stream(x, W, want.data(), single); }, outputs, runs);
      const double ranking = best_ns([&] { rank_only(x, W, single); }, outputs, runs);
      std::printf("| %s | %d | %.1f | %.1f |", kind, W, engine, ranking);
      auto run = [&](auto f) {
        std::fill(got.begin(), got.end(), -1.0);
        const double t = best_ns(f, outputs, runs);
        if (std::memcmp(got.data(), want.data(), got.size() * sizeof(double)) != 0) {
          std::printf(" differs |");
        } else {
          std::printf(" %.1f |", t);
        }
      };
      run([&] { lockstep<1>(x, W, got.data(), rooms, lanes, single); });
      run([&] { lockstep<4>(x, W, got.data(), rooms, lanes, single); });
      run([&] { lockstep<8>(x, W, got.data(), rooms, lanes, single); });
      run([&] { lockstep<16>(x, W, got.data(), rooms, lanes, single); });
      std::printf("\n");
      std::fflush(stdout);
    }
  }
  return 0;
}
