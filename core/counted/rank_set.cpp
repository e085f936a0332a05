// A rank set's storage.
#include "core/counted/rank_set.h"

#include <cstring>

#include "core/support/storage_layout.h"

RankSet carve_rank_set(StorageLayout &storage, int64_t capacity) {
  const int32_t words = words_for(capacity);
  RankSet s;
  s.bits = take<uint64_t>(storage, words);
  s.summary = take<uint64_t>(storage, words_for(words));
  return s;
}

void clear_rank_set(RankSet *s, int32_t size) {
  const int32_t words = words_for(size);
  std::memset(s->bits, 0, static_cast<size_t>(words) * 8);
  std::memset(s->summary, 0, static_cast<size_t>(words_for(words)) * 8);
}
