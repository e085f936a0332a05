// Long-window engine, after Suomela's sort-based median filter. The extended signal is cut into
// blocks of W samples, each sorted once. The window starting j samples into block A is A's last
// W-j samples plus B's first j, B being the next block. A's samples sit in a linked list in
// sorted order, from which they are deleted as the window passes; B's list is built and then
// emptied in reverse index order, so that re-inserting its samples in index order restores each
// in place. Two cursors split the window into the k smallest samples and the rest; the median
// is the smaller of the two cursors' keys. Every step is O(1); sorting costs O(log W) a sample.
#include <algorithm>

#include "sample_key.h"
#include "sliding_engines.h"

namespace {

// One block's samples in sorted order. Index W is the list's sentinel: it closes the circular
// list, ranks after every sample, and as a cursor means "past the last sample".
struct SortedBlock {
  int64_t *key;
  int32_t *rank;
  int32_t *next;
  int32_t *prev;
  int32_t *order;  // sort scratch
};

size_t block_bytes(int32_t W) {
  const size_t slots = static_cast<size_t>(W) + 1;
  return slots * (sizeof(int64_t) + 4 * sizeof(int32_t));
}

SortedBlock carve_block(void *storage, int32_t W) {
  const size_t slots = static_cast<size_t>(W) + 1;
  int64_t *key = static_cast<int64_t *>(storage);
  int32_t *ints = reinterpret_cast<int32_t *>(key + slots);
  return {key, ints, ints + slots, ints + 2 * slots, ints + 3 * slots};
}

inline void unlink(const SortedBlock &b, int32_t i) {
  b.next[b.prev[i]] = b.next[i];
  b.prev[b.next[i]] = b.prev[i];
}

inline void relink(const SortedBlock &b, int32_t i) {
  b.next[b.prev[i]] = i;
  b.prev[b.next[i]] = i;
}

// Loads `count` samples starting at extended offset `first` (offset 0 is e[-W2]), sorts them and
// links them in sorted order.
void load_block(const SortedBlock &b, const ExtendedSignal &e, int32_t W, int64_t first,
                int32_t count) {
  for (int32_t j = 0; j < count; ++j) {
    b.key[j] = key_of(extended_at(e, first + j - e.W2));
    b.order[j] = j;
  }
  std::sort(b.order, b.order + count, [&b](int32_t u, int32_t v) { return b.key[u] < b.key[v]; });
  int32_t previous = W;
  for (int32_t r = 0; r < count; ++r) {
    const int32_t i = b.order[r];
    b.rank[i] = r;
    b.prev[i] = previous;
    b.next[previous] = i;
    previous = i;
  }
  b.next[previous] = W;
  b.prev[W] = previous;
  b.rank[W] = INT32_MAX;
}

// Loads the block that the window enters next, emptied so its samples can be re-inserted.
void load_entering_block(const SortedBlock &b, const ExtendedSignal &e, int32_t W, int64_t first) {
  const int64_t extended_length = e.n + W - 1;
  const int32_t count =
      static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(W, extended_length - first)));
  load_block(b, e, W, first, count);
  for (int32_t j = count - 1; j >= 0; --j) unlink(b, j);
}

// The state of one window: the two blocks, a cursor in each (the first sample that is not
// among the `small` smallest), and the number of small samples.
struct Split {
  int32_t a;
  int32_t b;
  int32_t small;
};

// Restores `small` = k and puts every small sample at or below every other.
inline void rebalance(const SortedBlock &A, const SortedBlock &B, int32_t W, int32_t k, Split &s) {
  while (s.small > k) {  // the largest small sample leaves the small side
    const int32_t a = A.prev[s.a], b = B.prev[s.b];
    if (b == W || (a != W && A.key[a] > B.key[b])) {
      s.a = a;
    } else {
      s.b = b;
    }
    --s.small;
  }
  while (s.small < k) {  // the smallest other sample joins it
    if (s.b == W || (s.a != W && A.key[s.a] <= B.key[s.b])) {
      s.a = A.next[s.a];
    } else {
      s.b = B.next[s.b];
    }
    ++s.small;
  }
  for (;;) {  // one small sample above one other: exchange their sides
    const int32_t a = A.prev[s.a], b = B.prev[s.b];
    if (a != W && s.b != W && A.key[a] > B.key[s.b]) {
      s.a = a;
      s.b = B.next[s.b];
    } else if (b != W && s.a != W && B.key[b] > A.key[s.a]) {
      s.b = b;
      s.a = A.next[s.a];
    } else {
      break;
    }
  }
}

inline int64_t median_key(const SortedBlock &A, const SortedBlock &B, int32_t W, const Split &s) {
  if (s.a == W) return B.key[s.b];
  if (s.b == W) return A.key[s.a];
  return std::min(A.key[s.a], B.key[s.b]);
}

// Window moves one sample on: A's sample j leaves, B's sample j enters.
inline void slide(const SortedBlock &A, const SortedBlock &B, int32_t j, Split &s) {
  if (A.rank[j] < A.rank[s.a]) {
    --s.small;
  } else if (j == s.a) {
    s.a = A.next[j];
  }
  unlink(A, j);
  relink(B, j);
  if (B.rank[j] < B.rank[s.b]) ++s.small;
}

}  // namespace

size_t block_sort_storage_bytes(int32_t W) {
  return 2 * block_bytes(W);
}

void block_sort_medians(const ExtendedSignal &e, int32_t W, double *out, void *storage) {
  SortedBlock A = carve_block(storage, W);
  SortedBlock B = carve_block(static_cast<char *>(storage) + block_bytes(W), W);
  const int32_t k = static_cast<int32_t>(e.W2);
  load_block(A, e, W, 0, W);  // the first window is exactly the first block
  load_entering_block(B, e, W, W);
  Split s = {A.order[k], W, k};
  out[0] = value_of(A.key[s.a]);
  int64_t block_start = 0;
  for (int64_t i = 1; i < e.n; ++i) {
    const int32_t j = static_cast<int32_t>(i - block_start);  // 1 ... W
    slide(A, B, j - 1, s);
    rebalance(A, B, W, k, s);
    out[i] = value_of(median_key(A, B, W, s));
    if (j == W) {  // the window is all of B: B becomes A, and the next block enters
      std::swap(A, B);
      block_start += W;
      s = {s.b, W, s.small};
      load_entering_block(B, e, W, block_start + W);
    }
  }
}
