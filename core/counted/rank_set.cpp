// A rank set's storage, and selection by counts.
#include "core/counted/rank_set.h"

#include <cstring>

#include "core/support/storage_layout.h"

namespace {

// The words of each level for a set of `size` ranks, bottom up, ending with a level of one
// word; returns how many levels.
int32_t level_words(int64_t size, int32_t words[kRankLevels]) {
  int32_t levels = 0;
  int64_t bits = size;
  do {
    words[levels] = words_for(bits);
    bits = words[levels++];
  } while (bits > 1);
  return levels;
}

// The Fenwick tree's size for a set of `size` ranks: a power of two, at least its blocks.
int32_t tree_size_for(int64_t size) {
  int32_t tree = 1;
  while (tree < size / kRanksPerBlock + 1) tree *= 2;
  return tree;
}

}  // namespace

RankSet carve_rank_set(StorageLayout &storage, int64_t capacity, bool counted) {
  RankSet s = {};
  int32_t words[kRankLevels];
  s.levels = level_words(capacity, words);
  for (int32_t l = 0; l < s.levels; ++l) s.level[l] = take<uint64_t>(storage, words[l]);
  s.counts = counted ? take<int32_t>(storage, tree_size_for(capacity) + 2) : nullptr;
  return s;
}

void clear_rank_set(RankSet *s, int32_t size) {
  int32_t words[kRankLevels];
  s->levels = level_words(size, words);
  for (int32_t l = 0; l < s->levels; ++l) {
    std::memset(s->level[l], 0, static_cast<size_t>(words[l]) * 8);
  }
  s->tree_size = tree_size_for(size);
  s->tree_steps = 1;
  while (1 << (s->tree_steps - 1) < s->tree_size) ++s->tree_steps;
  if (s->counts) std::memset(s->counts, 0, static_cast<size_t>(s->tree_size + 2) * 4);
}

int32_t select_rank(const RankSet &s, int64_t k, int64_t *steps) {
  int32_t block = 0;  // the blocks before it hold k ranks or fewer
  for (int32_t step = s.tree_size / 2; step > 0; step /= 2) {
    ++*steps;
    const int32_t next = block + step;
    if (s.counts[next] <= k) {
      block = next;
      k -= s.counts[next];
    }
  }
  const int32_t words_per_block = kRanksPerBlock / 64;
  for (int32_t w = block * words_per_block;; ++w) {
    ++*steps;
    const uint64_t word = s.level[0][w];
    const int held = bit_count(word);
    if (k < held) return w * 64 + kth_bit(word, static_cast<int>(k));
    k -= held;
  }
}
