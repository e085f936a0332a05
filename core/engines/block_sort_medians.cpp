// Long-window engine, after Suomela's sort-based median filter. The extended signal is cut into
// blocks of W samples, each sorted once. The window starting j samples into block A is A's last
// W-j samples plus B's first j, B being the next block. A's samples sit in a linked list in
// sorted order, from which they are deleted as the window passes; B's list is built and then
// emptied in reverse index order, so that re-inserting its samples in index order restores each
// in place. Two cursors split the window into the k smallest samples and the rest; the median
// is the smaller of the two cursors' keys. Every step is O(1); sorting costs O(log W) a sample.
//
// List nodes are stored by rank (position in sorted order), so list neighbours and cursor moves
// stay close in memory, and "before the cursor" is a comparison of ranks.
#include "core/engines/block_sort_medians.h"

#include <algorithm>

#include "core/support/keyed_sort.h"
#include "core/support/sample_key.h"
#include "core/support/storage_layout.h"

namespace {

struct ListNode {
  int64_t key;
  int32_t next;
  int32_t prev;
};

// One block: nodes by rank, and the rank of each sample by its index in the block. Rank W is
// the sentinel: it closes the circular list, follows every sample, and as a cursor means "past
// the last sample".
struct SortedBlock {
  ListNode *node;
  int32_t *rank_of;
};

SortedBlock carve_block(StorageLayout &s, int32_t W) {
  SortedBlock b;
  b.node = take<ListNode>(s, int64_t{W} + 1);
  b.rank_of = take<int32_t>(s, W);
  return b;
}

inline void unlink(const SortedBlock &b, int32_t r) {
  b.node[b.node[r].prev].next = b.node[r].next;
  b.node[b.node[r].next].prev = b.node[r].prev;
}

inline void relink(const SortedBlock &b, int32_t r) {
  b.node[b.node[r].prev].next = r;
  b.node[b.node[r].next].prev = r;
}

// Storage for sorting one block, shared by both.
struct SortScratch {
  int64_t *key;
  int32_t *order;
  int32_t *scratch;
};

// The sort's scratch holds a bucket for each position and the buckets' counters.
SortScratch carve_sort_scratch(StorageLayout &s, int32_t W) {
  SortScratch sort;
  sort.key = take<int64_t>(s, W);
  sort.order = take<int32_t>(s, W);
  sort.scratch = take<int32_t>(s, 2 * int64_t{W} + 1);
  return sort;
}

// The keys of `count` samples from extended position t on; straight from x where the block
// lies inside it.
void load_keys(int64_t *key, const ExtendedSignal &e, int64_t t, int32_t count) {
  if (t >= 0 && t + count <= e.n) {
    for (int32_t j = 0; j < count; ++j) key[j] = key_of(e.x[t + j]);
  } else {
    for (int32_t j = 0; j < count; ++j) key[j] = key_of(extended_at(e, t + j));
  }
}

// Loads the `count` samples from extended position t on, sorts them and links them in sorted
// order.
void load_block(const SortedBlock &b, const ExtendedSignal &e, int32_t W, int64_t t, int32_t count,
                const SortScratch &sort) {
  load_keys(sort.key, e, t, count);
  if (count > 0) sort_positions_by_key(sort.key, sort.order, sort.scratch, count);
  for (int32_t r = 0; r < count; ++r) {
    const int32_t j = sort.order[r];
    b.node[r] = {sort.key[j], r + 1 < count ? r + 1 : W, r > 0 ? r - 1 : W};
    b.rank_of[j] = r;
  }
  b.node[W] = {0, count > 0 ? 0 : W, count > 0 ? count - 1 : W};  // its key is never read
}

// Loads the block from extended position t on that the window enters next, up to the end of the
// last window (`end`), emptied so its samples can be re-inserted.
void load_entering_block(const SortedBlock &b, const ExtendedSignal &e, int32_t W, int64_t t,
                         int64_t end, const SortScratch &sort) {
  const int32_t count = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(W, end - t)));
  load_block(b, e, W, t, count, sort);
  for (int32_t j = count - 1; j >= 0; --j) unlink(b, b.rank_of[j]);
}

// The split of one window: a cursor in each block (the rank of the first sample that is not
// among the `small` smallest) and the number of small samples.
struct Split {
  int32_t a;
  int32_t b;
  int32_t small;
};

inline int64_t key_at(const SortedBlock &b, int32_t r) {
  return b.node[r].key;
}

inline int64_t median_key(const SortedBlock &A, const SortedBlock &B, int32_t W, const Split &s) {
  if (s.a == W) return key_at(B, s.b);
  if (s.b == W) return key_at(A, s.a);
  return std::min(key_at(A, s.a), key_at(B, s.b));
}

// The window moves one sample on: A's sample j leaves, B's sample j enters. Before the step every
// small sample is at or below every other, and there are k of them; the step restores both.
inline void slide(const SortedBlock &A, const SortedBlock &B, int32_t W, int32_t k, int32_t j,
                  Split &s) {
  const int32_t leaving = A.rank_of[j];
  s.small -= leaving < s.a;
  if (leaving == s.a) s.a = A.node[leaving].next;
  unlink(A, leaving);
  const int32_t entering = B.rank_of[j];
  relink(B, entering);
  const bool entering_small = entering < s.b;
  s.small += entering_small;
  // Only the entering sample can break the order: counted small while above A's first other
  // sample. It is then the largest small sample of B, and the two exchange sides.
  if (entering_small && s.a != W && key_at(B, entering) > key_at(A, s.a)) {
    s.b = entering;
    s.a = A.node[s.a].next;
  }
  if (s.small > k) {  // the largest small sample leaves the small side
    const int32_t a = A.node[s.a].prev, b = B.node[s.b].prev;
    if (b == W || (a != W && key_at(A, a) > key_at(B, b))) {
      s.a = a;
    } else {
      s.b = b;
    }
    --s.small;
  } else if (s.small < k) {  // the smallest other sample joins it
    if (s.b == W || (s.a != W && key_at(A, s.a) <= key_at(B, s.b))) {
      s.a = A.node[s.a].next;
    } else {
      s.b = B.node[s.b].next;
    }
    ++s.small;
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

}  // namespace

size_t block_sort_storage_bytes(int32_t W) {
  return bytes_taken_by([W](StorageLayout &s) { carve_block_sort_room(s, W); });
}

void block_sort_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                        double *out, void *storage) {
  StorageLayout layout = carving_layout(storage);
  const BlockSortRoom room = carve_block_sort_room(layout, W);
  SortedBlock A = room.A, B = room.B;
  const SortScratch &sort = room.sort;
  const int32_t k = static_cast<int32_t>(e.W2);
  const int64_t end = last + e.W2;       // one past the last window's last sample
  const int64_t origin = first - e.W2;   // extended position of the first window's first sample
  load_block(A, e, W, origin, W, sort);  // the first window is exactly the first block
  load_entering_block(B, e, W, origin + W, end, sort);
  Split s = {k, W, k};
  out[0] = value_of(key_at(A, k));
  const int64_t count = last - first;
  int64_t block_start = 0;  // the output whose window is exactly block A
  for (int64_t i = 1; i < count; ++i) {
    const int32_t j = static_cast<int32_t>(i - block_start);  // 1 ... W
    slide(A, B, W, k, j - 1, s);
    out[i] = value_of(median_key(A, B, W, s));
    if (j == W) {  // the window is all of B: B becomes A, and the next block enters
      std::swap(A, B);
      block_start += W;
      s = {s.b, W, s.small};
      load_entering_block(B, e, W, origin + block_start + W, end, sort);
    }
  }
}
