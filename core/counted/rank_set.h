// A set of ranks 0 ... size-1 (each in it once at most) that answers "the k-th smallest" two
// ways: by moving a cursor from where the last answer left it (a sliding window's order
// statistics move by a rank or two a step, so each costs a bit scan or two), and, where the set
// keeps counts, by selecting it afresh in O(log size) steps, for a cursor that must jump far.
//
// The ranks are bits in 64-bit words; each level above marks the words of the level below that
// are not empty, up to a level of one word, so that a scan across any stretch of absent ranks
// reads a few words (at most two a level) however long it is. The counts are a Fenwick tree over
// blocks of 512 ranks.
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

// Levels enough for 2^31 ranks (64^6 > 2^31).
const int32_t kRankLevels = 6;

// Ranks counted together in the Fenwick tree: 8 words.
const int32_t kRanksPerBlock = 512;

struct RankSet {
  // level[0] bit r: rank r is in the set; level[l+1] bit w: word w of level[l] is not empty.
  uint64_t *level[kRankLevels];
  int32_t levels;  // those in use
  // Null (no counts kept), or the Fenwick tree counts[1 ... tree_size], and counts[tree_size+1],
  // a spare slot that takes the updates past its end.
  int32_t *counts;
  int32_t tree_size;   // a power of two, blocks enough for the set
  int32_t tree_steps;  // the steps of an update: log2(tree_size) + 1
};

struct StorageLayout;

// Room for a set of up to `capacity` ranks, carved from `storage`, with counts where `counted`.
RankSet carve_rank_set(StorageLayout &storage, int64_t capacity, bool counted);

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

// The smallest rank in the set at or above r; one exists. Climbs the levels until a word holds a
// mark at or after the place, then descends along the lowest marks.
inline int32_t next_rank(const RankSet &s, int32_t r) {
  int32_t place = r, l = 0;
  uint64_t word = from_bit(s.level[0][place / 64], place % 64);
  while (word == 0) {
    place = place / 64 + 1;
    word = from_bit(s.level[++l][place / 64], place % 64);
  }
  place = (place & ~63) + lowest_bit(word);
  while (l > 0) place = place * 64 + lowest_bit(s.level[--l][place]);
  return place;
}

// The largest rank in the set below r; one exists.
inline int32_t previous_rank(const RankSet &s, int32_t r) {
  int32_t place = r - 1, l = 0;
  uint64_t word = to_bit(s.level[0][place / 64], place % 64);
  while (word == 0) {
    place = place / 64 - 1;
    word = to_bit(s.level[++l][place / 64], place % 64);
  }
  place = (place & ~63) + highest_bit(word);
  while (l > 0) place = place * 64 + highest_bit(s.level[--l][place]);
  return place;
}

inline bool holds_rank(const RankSet &s, int32_t rank) {
  return s.level[0][rank / 64] >> (rank % 64) & 1;
}

// ---- Changes and questions ----

// A rank entering or leaving the set, as a cursor counts it (the set keeps no cursor: its user
// tells each of its cursors). Without a branch: whether a sample lands below a cursor is as
// unpredictable as the signal.
inline void count_entering(RankCursor *c, int32_t rank) {
  c->below += static_cast<int64_t>(rank < c->rank);
}

inline void count_leaving(RankCursor *c, int32_t rank) {
  c->below -= static_cast<int64_t>(rank < c->rank);
}

// Takes the same steps for every rank, those past the tree's end into its spare slot, so that
// the processor has no branch to guess.
inline void add_to_count(RankSet *s, int32_t rank, int32_t delta) {
  const int32_t spare = s->tree_size + 1;
  int32_t b = rank / kRanksPerBlock + 1;
  for (int32_t step = 0; step < s->tree_steps; ++step) {
    s->counts[b] += delta;
    const int32_t next = b + (b & -b);
    b = next < spare ? next : spare;
  }
}

inline void insert_rank(RankSet *s, int32_t rank) {
  int32_t place = rank;
  for (int32_t l = 0; l < s->levels; ++l, place /= 64) {
    uint64_t &word = s->level[l][place / 64];
    const bool was_empty = word == 0;
    word |= uint64_t{1} << (place % 64);
    if (!was_empty) break;
  }
  if (s->counts) add_to_count(s, rank, 1);
}

inline void erase_rank(RankSet *s, int32_t rank) {
  int32_t place = rank;
  for (int32_t l = 0; l < s->levels; ++l, place /= 64) {
    uint64_t &word = s->level[l][place / 64];
    word &= ~(uint64_t{1} << (place % 64));
    if (word != 0) break;
  }
  if (s->counts) add_to_count(s, rank, -1);
}

// The k-th smallest rank of the set (k below its size), found by moving cursor c there: one bit
// scan for each rank of the set it passes.
inline int32_t kth_rank(const RankSet &s, RankCursor *c, int64_t k) {
  while (c->below > k) {
    c->rank = previous_rank(s, c->rank);
    --c->below;
  }
  if (!holds_rank(s, c->rank)) c->rank = next_rank(s, c->rank);
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

// The k-th smallest rank of a set that keeps counts (k below its size), found afresh: down the
// Fenwick tree to its block, then across the block's words. Adds the steps taken to *steps.
int32_t select_rank(const RankSet &s, int64_t k, int64_t *steps);

#endif
