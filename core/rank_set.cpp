// A rank set's storage.
#include "rank_set.h"

#include <cstring>

#include "sliding_engines.h"

size_t rank_set_bytes(int64_t size) {
  const int64_t words = words_for(size);
  return round_up_storage(static_cast<size_t>(words) * 8) +
         round_up_storage(static_cast<size_t>(words_for(words)) * 8);
}

RankSet empty_rank_set(void *storage, int32_t size) {
  RankSet s;
  const int32_t words = words_for(size);
  s.bits = static_cast<uint64_t *>(storage);
  s.summary = reinterpret_cast<uint64_t *>(static_cast<char *>(storage) +
                                           round_up_storage(static_cast<size_t>(words) * 8));
  std::memset(s.bits, 0, static_cast<size_t>(words) * 8);
  std::memset(s.summary, 0, static_cast<size_t>(words_for(words)) * 8);
  s.cursor = 0;
  s.below = 0;
  return s;
}
