// Long-window engine, after Suomela's sort-based median filter. The extended signal is cut into
// blocks of W samples, each sorted once. The window starting j samples into block A is A's last
// W-j samples plus B's first j, B being the next block. A's samples sit in a linked list in
// sorted order, from which they are deleted as the window passes; B's list is built and then
// emptied in reverse index order, so that re-inserting its samples in index order restores each
// in place. Two cursors split the window into the k smallest samples and the rest; the sample of
// rank k (the median's, or any other) is the smaller of the two cursors' keys, and the next rank
// the smaller of the other cursor's key and the next key after the smaller. Every step is O(1);
// sorting costs O(1) a sample on typical signals (keyed_sort.h), O(log W) at worst. The rank may
// also change from one window to the next, by moving a cursor one place for each unit of change.
//
// List nodes are stored by rank (position in sorted order), so list neighbours and cursor moves
// stay close in memory, and "before the cursor" is a comparison of ranks. Two sentinels close
// each list: one above every sample, which follows the last and as a cursor means "past the last
// sample", and one below every sample, which precedes the first. Their keys lie beyond every
// sample's, so that no decision needs to test for them.
#include "core/engines/block_sort_medians.h"

#include <algorithm>

#include "core/support/always_inline.h"
#include "core/support/keyed_sort.h"
#include "core/support/sample_key.h"
#include "core/support/storage_layout.h"

namespace {

// The sentinels' keys. A sample's key is kept strictly between them: only the two NaNs with
// every payload bit set are moved one key inwards, and a window holding a NaN is never decided
// by the key order.
const int64_t kBelowEveryKey = INT64_MIN, kAboveEveryKey = INT64_MAX;

inline int64_t sample_key(double v) {
  return std::min(std::max(key_of(v), kBelowEveryKey + 1), kAboveEveryKey - 1);
}

// Where NaN rank above every other sample, their key.
const int64_t kNanLastKey = kAboveEveryKey - 1;

struct ListNode {
  int64_t key;
  uint32_t next;
  uint32_t prev;
};

// One block: its nodes, and the rank of each sample by its index in the block. A node is found
// by its slot, twice its rank: the offset of the node in units of 8 bytes, which the processor
// scales in the address itself. The sentinels follow the samples' W nodes.
struct SortedBlock {
  char *node;
  uint32_t *rank_of;
};

inline uint32_t slot_of_rank(uint32_t rank) {
  return 2 * rank;
}

uint32_t above_slot(int32_t W) {
  return slot_of_rank(static_cast<uint32_t>(W));
}

uint32_t below_slot(int32_t W) {
  return slot_of_rank(static_cast<uint32_t>(W) + 1);
}

inline int64_t &key_at(const SortedBlock &b, uint32_t slot) {
  return *reinterpret_cast<int64_t *>(b.node + 8 * size_t{slot});
}

inline uint32_t &next_of(const SortedBlock &b, uint32_t slot) {
  return *reinterpret_cast<uint32_t *>(b.node + 8 + 8 * size_t{slot});
}

inline uint32_t &prev_of(const SortedBlock &b, uint32_t slot) {
  return *reinterpret_cast<uint32_t *>(b.node + 12 + 8 * size_t{slot});
}

SortedBlock carve_block(StorageLayout &s, int32_t W) {
  SortedBlock b;
  b.node = reinterpret_cast<char *>(take<ListNode>(s, int64_t{W} + 2));
  b.rank_of = take<uint32_t>(s, W);
  return b;
}

inline void unlink(const SortedBlock &b, uint32_t slot) {
  const uint32_t next = next_of(b, slot), prev = prev_of(b, slot);
  next_of(b, prev) = next;
  prev_of(b, next) = prev;
}

// Storage for sorting one block, shared by both.
struct SortScratch {
  int64_t *key;
  int64_t *sorted;
  void *ranking;
};

SortScratch carve_sort_scratch(StorageLayout &s, int32_t W) {
  SortScratch sort;
  sort.key = take<int64_t>(s, W);
  sort.sorted = take<int64_t>(s, W);
  sort.ranking = take_bytes(s, rank_keys_scratch_bytes(W));
  return sort;
}

// The keys of `count` samples from extended position t on; straight from x where the block
// lies inside it.
void load_keys(int64_t *key, const ExtendedSignal &e, int64_t t, int32_t count) {
  if (t >= 0 && t + count <= e.n) {
    for (int32_t j = 0; j < count; ++j) key[j] = sample_key(e.x[t + j]);
  } else {
    for (int32_t j = 0; j < count; ++j) key[j] = sample_key(extended_at(e, t + j));
  }
}

// The ranks of the `count` samples from extended position t on into b.rank_of, and their keys
// in sorted order into sort.sorted. With `nan_last` (whole windows only), NaN rank after every
// other sample, in order of position; they are left out of the sort, whose buckets they would
// spread over every double.
void rank_block(const SortedBlock &b, const ExtendedSignal &e, int64_t t, int32_t count,
                const SortScratch &sort, bool nan_last) {
  if (!nan_last) {
    load_keys(sort.key, e, t, count);
    rank_keys(sort.key, count, b.rank_of, sort.sorted, sort.ranking);
    return;
  }
  const double *x = e.x + t;
  int32_t kept = 0;
  for (int32_t j = 0; j < count; ++j) {
    if (x[j] == x[j]) sort.key[kept++] = sample_key(x[j]);
  }
  if (kept > 0) rank_keys(sort.key, kept, b.rank_of, sort.sorted, sort.ranking);
  std::fill(sort.sorted + kept, sort.sorted + count, kNanLastKey);
  // In place, from the end: the c-th sample that is not NaN has its rank at c <= its position.
  int32_t c = kept, nan_rank = count;
  for (int32_t j = count - 1; j >= 0; --j) {
    b.rank_of[j] = x[j] == x[j] ? b.rank_of[--c] : static_cast<uint32_t>(--nan_rank);
  }
}

// Loads the `count` samples from extended position t on, sorts them and links them in sorted
// order between the sentinels.
void load_block(const SortedBlock &b, const ExtendedSignal &e, int32_t W, int64_t t, int32_t count,
                const SortScratch &sort, bool nan_last) {
  const uint32_t above = above_slot(W), below = below_slot(W);
  ListNode *node = reinterpret_cast<ListNode *>(b.node);
  if (count > 0) {
    rank_block(b, e, t, count, sort, nan_last);
    for (int32_t r = 0; r < count; ++r) {
      const uint32_t rank = static_cast<uint32_t>(r);
      node[r] = {sort.sorted[r], slot_of_rank(rank + 1), slot_of_rank(rank - 1)};
    }
    next_of(b, slot_of_rank(static_cast<uint32_t>(count) - 1)) = above;
    prev_of(b, 0) = below;
  }
  const uint32_t first = count > 0 ? 0 : above;
  const uint32_t last = count > 0 ? slot_of_rank(static_cast<uint32_t>(count) - 1) : below;
  node[W] = {kAboveEveryKey, above, last};
  node[W + 1] = {kBelowEveryKey, first, below};
}

// Loads the block from extended position t on that the window enters next, up to the end of the
// last window (`end`), emptied so its samples can be re-inserted.
void load_entering_block(const SortedBlock &b, const ExtendedSignal &e, int32_t W, int64_t t,
                         int64_t end, const SortScratch &sort, bool nan_last) {
  const int32_t count = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(W, end - t)));
  load_block(b, e, W, t, count, sort, nan_last);
  for (int32_t j = count - 1; j >= 0; --j) unlink(b, slot_of_rank(b.rank_of[j]));
}

// The split of one window: in each block, the slot of the first sample that is not among the
// k smallest (the sentinel above every sample where there is none). Every small sample is at or
// below every other.
struct Split {
  uint32_t a;
  uint32_t b;
};

inline int64_t rank_key(const SortedBlock &A, const SortedBlock &B, const Split &s) {
  return std::min(key_at(A, s.a), key_at(B, s.b));
}

// The larger of the last small samples leaves the small side.
PLORVENT_INLINE void shrink_small_side(const SortedBlock &A, const SortedBlock &B, Split &s) {
  const uint32_t a_prev = prev_of(A, s.a), b_prev = prev_of(B, s.b);
  if (key_at(A, a_prev) > key_at(B, b_prev)) {
    s.a = a_prev;
  } else {
    s.b = b_prev;
  }
}

// The smaller of the cursors' samples joins the small side, A's on a tie.
PLORVENT_INLINE void grow_small_side(const SortedBlock &A, const SortedBlock &B, Split &s) {
  if (key_at(A, s.a) > key_at(B, s.b)) {
    s.b = next_of(B, s.b);
  } else {
    s.a = next_of(A, s.a);
  }
}

// The small side, of `from` samples, made `to` samples: a cursor move a unit of change.
inline void resize_small_side(const SortedBlock &A, const SortedBlock &B, int32_t from, int32_t to,
                              Split &s) {
  for (; from < to; ++from) grow_small_side(A, B, s);
  for (; from > to; --from) shrink_small_side(A, B, s);
}

// The window moves one sample on: A's sample j leaves, B's sample j enters; each cursor moves
// at most one place. The sentinels' keys answer every comparison at the ends of a list. Inlined
// into each loop that slides, as one function call a step costs a fifth of the engine's time.
PLORVENT_INLINE void slide(const SortedBlock &A, const SortedBlock &B, uint32_t j, Split &s) {
  const uint32_t leaving = slot_of_rank(A.rank_of[j]);
  int32_t excess = -static_cast<int32_t>(leaving < s.a);
  if (leaving == s.a) s.a = next_of(A, leaving);
  unlink(A, leaving);
  const uint32_t entering = slot_of_rank(B.rank_of[j]);
  next_of(B, prev_of(B, entering)) = entering;
  prev_of(B, next_of(B, entering)) = entering;
  // Standing before B's cursor, the entering sample is small unless it is above A's first other
  // sample; then it is B's first other sample instead.
  if (entering < s.b) {
    if (key_at(B, entering) > key_at(A, s.a)) {
      s.b = entering;
    } else {
      ++excess;
    }
  }
  if (excess > 0) {
    shrink_small_side(A, B, s);
  } else if (excess < 0) {
    grow_small_side(A, B, s);
  }
}

struct BlockSortRoom {
  SortedBlock A;
  SortedBlock B;
  SortScratch sort;
};

BlockSortRoom carve_block_sort_room(StorageLayout &s, int32_t W) {
  BlockSortRoom room;
  room.A = carve_block(s, W);
  room.B = carve_block(s, W);
  room.sort = carve_sort_scratch(s, W);
  return room;
}

// The key of rank k+1: the smaller of the other cursor's key and the one after the smaller
// cursor's in its list (A's cursor counts as the smaller on a tie).
inline int64_t next_key(const SortedBlock &A, const SortedBlock &B, const Split &s) {
  const int64_t a = key_at(A, s.a), b = key_at(B, s.b);
  return a <= b ? std::min(key_at(A, next_of(A, s.a)), b) : std::min(a, key_at(B, next_of(B, s.b)));
}

// The window's sample of rank k into *low and, with `next`, of rank k+1 into *high.
template <bool next>
inline void write_ranks(const SortedBlock &A, const SortedBlock &B, const Split &s, double *low,
                        double *high) {
  *low = value_of(rank_key(A, B, s));
  if (next) *high = value_of(next_key(A, B, s));
}

// The rank each window reads: one for all, or output i's in k[i].
struct WindowRanks {
  int32_t k;
  const int32_t *each;  // null: k for every window
};

inline int32_t rank_at(const WindowRanks &r, int64_t i) {
  return r.each ? r.each[i] : r.k;
}

// Outputs 1 ... steps of the run whose window is exactly block A for output 0 (output `first`
// of the ranks).
template <bool next>
void slide_through(const SortedBlock &A, const SortedBlock &B, int32_t steps, Split &s,
                   const WindowRanks &r, int64_t first, double *low, double *high) {
  if (r.each) {
    for (int32_t j = 0; j < steps; ++j) {
      slide(A, B, static_cast<uint32_t>(j), s);
      resize_small_side(A, B, r.each[first + j], r.each[first + j + 1], s);
      write_ranks<next>(A, B, s, low + j + 1, high + j + 1);
    }
    return;
  }
  for (int32_t j = 0; j < steps; ++j) {
    slide(A, B, static_cast<uint32_t>(j), s);
    write_ranks<next>(A, B, s, low + j + 1, high + j + 1);
  }
}

// Windows of W samples, output i's from extended position origin + i on, for i = 0 ...
// outputs-1: the sample of rank k (r's) in low[i] and, with `next`, of rank k+1 in high[i]
// (without, `high` is not read or written). With ranks of their own, the windows are whole and
// NaN rank above every other sample.
template <bool next>
void block_sort_ranks_from(const ExtendedSignal &e, int32_t W, const WindowRanks &r, int64_t origin,
                           int64_t outputs, double *low, double *high, void *storage) {
  StorageLayout layout = carving_layout(storage);
  const BlockSortRoom room = carve_block_sort_room(layout, W);
  SortedBlock A = room.A, B = room.B;
  const SortScratch &sort = room.sort;
  const int64_t end = origin + outputs - 1 + W;  // one past the last window's last sample
  const bool nan_last = r.each != nullptr;
  load_block(A, e, W, origin, W, sort, nan_last);  // the first window is exactly the first block
  Split s = {slot_of_rank(static_cast<uint32_t>(rank_at(r, 0))), above_slot(W)};
  *low = value_of(key_at(A, s.a));  // B holds nothing yet
  if (next) *high = value_of(key_at(A, next_of(A, s.a)));
  // Block by block: output i's window is exactly block A, and the next W outputs slide into B.
  for (int64_t i = 0; i + 1 < outputs; i += W) {
    load_entering_block(B, e, W, origin + i + W, end, sort, nan_last);
    const int32_t steps = static_cast<int32_t>(std::min<int64_t>(W, outputs - 1 - i));
    slide_through<next>(A, B, steps, s, r, i, low + i, high + i);
    std::swap(A, B);  // the window is all of B: B becomes A, with its cursor
    s = {s.b, above_slot(W)};
  }
}

}  // namespace

size_t block_sort_storage_bytes(int32_t W) {
  return bytes_taken_by([W](StorageLayout &s) { carve_block_sort_room(s, W); });
}

void block_sort_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                        double *out, void *storage) {
  block_sort_ranks_from<false>(e, W, {static_cast<int32_t>(e.W2), nullptr}, first - e.W2,
                               last - first, out, out, storage);
}

void block_sort_ranks(const double *x, int64_t count, int32_t W, int32_t k, double *low,
                      double *high, void *storage) {
  if (count <= 0) return;
  const ExtendedSignal e = {x, nullptr, nullptr, count - 1 + W, 0, kConstantPadding, 0.0};
  if (high) {
    block_sort_ranks_from<true>(e, W, {k, nullptr}, 0, count, low, high, storage);
  } else {
    block_sort_ranks_from<false>(e, W, {k, nullptr}, 0, count, low, low, storage);
  }
}

void block_sort_ranks_nan_last(const double *x, int64_t count, int32_t W, const int32_t *k,
                               double *low, double *high, void *storage) {
  if (count <= 0) return;
  const ExtendedSignal e = {x, nullptr, nullptr, count - 1 + W, 0, kConstantPadding, 0.0};
  block_sort_ranks_from<true>(e, W, {0, k}, 0, count, low, high, storage);
}
