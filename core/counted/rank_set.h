// A set of ranks 0 ... size-1 (each in it once at most) that answers "the k-th smallest" by
// moving a cursor from where the last answer left it: a sliding window's middle moves by a rank
// or two a step, so each answer costs a few bit scans. The ranks are bits in 64-bit words, and a
// second level marks the words that hold any, so a scan across a sparse stretch skips 4096 ranks
// a word.
#ifndef PLORVENT_CORE_COUNTED_RANK_SET_H
#define PLORVENT_CORE_COUNTED_RANK_SET_H

#include <cstddef>
#include <cstdint>

#include "core/support/bit_scan.h"

// A place among the ranks: a rank, in the set or not, and how many ranks of the set lie below it.
struct RankCursor {
  int32_t rank;
  int64_t below;
};

struct RankSet {
  uint64_t *bits;     // bit r of word r/64: rank r is in the set
  uint64_t *summary;  // bit w of word w/64: word w is not empty
};

struct StorageLayout;

// Room for a set of up to `capacity` ranks, carved from `storage`.
RankSet carve_rank_set(StorageLayout &storage, int64_t capacity);

// Empties the set, now of `size` ranks (at most its capacity).
void clear_rank_set(RankSet *s, int32_t size);

// ---- Scans (inline: they run for every sample) ----

// 64-bit words that hold `bits` bits, with one to spare.
inline int32_t words_for(int64_t bits) {
  return static_cast<int32_t>(bits / 64 + 1);
}

// The bits of `word` at positions `from` and above (from < 64).
inline uint64_t from_bit(uint64_t word, int from) {
  return word & (~uint64_t{0} << from);
}

// The bits of `word` at positions `to` and below (to < 64).
inline uint64_t to_bit(uint64_t word, int to) {
  return word & (~uint64_t{0} >> (63 - to));
}

// The first word at or after w that is not empty; one exists.
inline int32_t next_word(const RankSet &s, int32_t w) {
  int32_t sw = w / 64;
  uint64_t marks = from_bit(s.summary[sw], w % 64);
  while (marks == 0) marks = s.summary[++sw];
  return sw * 64 + lowest_bit(marks);
}

// The last word at or before w that is not empty; one exists.
inline int32_t previous_word(const RankSet &s, int32_t w) {
  int32_t sw = w / 64;
  uint64_t marks = to_bit(s.summary[sw], w % 64);
  while (marks == 0) marks = s.summary[--sw];
  return sw * 64 + highest_bit(marks);
}

// The smallest rank in the set at or above r; one exists.
inline int32_t next_rank(const RankSet &s, int32_t r) {
  int32_t w = r / 64;
  uint64_t word = from_bit(s.bits[w], r % 64);
  if (word == 0) {
    w = next_word(s, w + 1);
    word = s.bits[w];
  }
  return w * 64 + lowest_bit(word);
}

// The largest rank in the set below r; one exists.
inline int32_t previous_rank(const RankSet &s, int32_t r) {
  int32_t w = (r - 1) / 64;
  uint64_t word = to_bit(s.bits[w], (r - 1) % 64);
  if (word == 0) {
    w = previous_word(s, w - 1);
    word = s.bits[w];
  }
  return w * 64 + highest_bit(word);
}

// ---- Changes and questions ----

// A rank entering or leaving the set, as a cursor counts it (the set keeps no cursor: its user
// tells each of its cursors).
inline void count_entering(RankCursor *c, int32_t rank) {
  if (rank < c->rank) ++c->below;
}

inline void count_leaving(RankCursor *c, int32_t rank) {
  if (rank < c->rank) --c->below;
}

inline void insert_rank(RankSet *s, int32_t rank) {
  const int32_t w = rank / 64;
  s->bits[w] |= uint64_t{1} << (rank % 64);
  s->summary[w / 64] |= uint64_t{1} << (w % 64);
}

inline void erase_rank(RankSet *s, int32_t rank) {
  const int32_t w = rank / 64;
  s->bits[w] &= ~(uint64_t{1} << (rank % 64));
  if (s->bits[w] == 0) s->summary[w / 64] &= ~(uint64_t{1} << (w % 64));
}

// The k-th smallest rank of the set (k below its size), found by moving cursor c there.
inline int32_t kth_rank(const RankSet &s, RankCursor *c, int64_t k) {
  while (c->below > k) {
    c->rank = previous_rank(s, c->rank);
    --c->below;
  }
  if (!(s.bits[c->rank / 64] >> (c->rank % 64) & 1)) c->rank = next_rank(s, c->rank);
  while (c->below < k) {
    ++c->below;
    c->rank = next_rank(s, c->rank + 1);
  }
  return c->rank;
}

// The smallest rank in the set above r; one exists.
inline int32_t next_rank_after(const RankSet &s, int32_t r) {
  return next_rank(s, r + 1);
}

#endif
