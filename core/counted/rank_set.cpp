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

int32_t blocks_for(int64_t size) {
  return static_cast<int32_t>(size / kRanksPerBlock + 1);
}

}  // namespace

RankSet carve_rank_set(StorageLayout &storage, int64_t capacity, bool counted) {
  RankSet s = {};
  int32_t words[kRankLevels];
  s.levels = level_words(capacity, words);
  for (int32_t l = 0; l < s.levels; ++l) s.level[l] = take<uint64_t>(storage, words[l]);
  s.blocks = blocks_for(capacity);
  s.counts = counted ? take<int32_t>(storage, s.blocks + 1) : nullptr;
  return s;
}

void clear_rank_set(RankSet *s, int32_t size) {
  int32_t words[kRankLevels];
  s->levels = level_words(size, words);
  for (int32_t l = 0; l < s->levels; ++l) {
    std::memset(s->level[l], 0, static_cast<size_t>(words[l]) * 8);
  }
  s->blocks = blocks_for(size);
  s->top_block = 1;
  while (s->top_block * 2 <= s->blocks) s->top_block *= 2;
  if (s->counts) std::memset(s->counts, 0, static_cast<size_t>(s->blocks + 1) * 4);
}

int32_t select_rank(const RankSet &s, int64_t k, int64_t *steps) {
  int32_t block = 0;  // the blocks before it hold k ranks or fewer
  for (int32_t step = s.top_block; step > 0; step /= 2) {
    ++*steps;
    const int32_t next = block + step;
    if (next <= s.blocks && s.counts[next] <= k) {
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
