#include "core/images/sliding_domain_ranks.h"

#include <type_traits>

#include "core/counted/rank_set.h"
#include "core/images/image_keys.h"
#include "core/support/interruption.h"
#include "core/support/keyed_sort.h"
#include "core/support/storage_layout.h"

namespace {

// A vertical run of the domain: rows first ... last of window column `column`.
struct DomainRun {
  int32_t column, first, last;
};

struct SlidingRoom {
  int64_t *keys;      // of every sample of the block, column by column
  uint32_t *rank_of;  // each sample's place among them (distinct)
  int64_t *sorted;    // the key of each place
  void *sort_scratch;
  DomainRun *runs;
  RankSet set;
};

int64_t block_samples(const ImageBlock *b, const ImageWindow *w) {
  return (b->rows + w->rows - 1) * (b->cols + w->cols - 1);
}

SlidingRoom carve_room(StorageLayout &s, const ImageBlock *b, const ImageWindow *w) {
  const int64_t count = block_samples(b, w);
  SlidingRoom room;
  room.keys = take<int64_t>(s, count);
  room.rank_of = take<uint32_t>(s, count);
  room.sorted = take<int64_t>(s, count);
  room.sort_scratch = take_bytes(s, rank_keys_scratch_bytes(static_cast<int32_t>(count)));
  // A column of m rows has at most (m + 1) / 2 runs.
  room.runs = take<DomainRun>(s, static_cast<int64_t>(w->cols) * ((w->rows + 1) / 2));
  room.set = carve_rank_set(s, count, false);
  return room;
}

int32_t domain_runs(const ImageWindow *w, DomainRun *runs) {
  int32_t count = 0;
  for (int32_t c = 0; c < w->cols; ++c) {
    for (int32_t r = 0; r < w->rows; ++r) {
      if (w->domain && !w->domain[r + static_cast<int64_t>(c) * w->rows]) continue;
      if (count > 0 && runs[count - 1].column == c && runs[count - 1].last == r - 1) {
        runs[count - 1].last = r;
      } else {
        runs[count++] = {c, r, r};
      }
    }
  }
  return count;
}

// Slides the window down output column j: its samples' ranks enter and leave the set.
template <class T>
void slide_column(const ImageBlock *b, const ImageWindow *w, const SlidingRoom &room, int32_t runs,
                  int64_t j, int64_t block_rows) {
  RankSet set = room.set;
  const uint32_t *rank_of = room.rank_of;
  auto at = [&](int64_t r, int32_t c) {
    return static_cast<int32_t>(rank_of[r + (j + c) * block_rows]);
  };
  for (int32_t k = 0; k < runs; ++k) {
    for (int32_t r = room.runs[k].first; r <= room.runs[k].last; ++r) {
      insert_rank(&set, at(r, room.runs[k].column));
    }
  }
  T *y = static_cast<T *>(b->outputs) + j * b->outputs_ld;
  RankCursor cursor = {0, 0};
  for (int64_t i = 0;; ++i) {
    y[i] = image_value<T>(room.sorted[kth_rank(set, &cursor, w->rank)], b->nan);
    const bool last = i + 1 == b->rows;
    for (int32_t k = 0; k < runs; ++k) {
      const DomainRun &run = room.runs[k];
      const int32_t leaving = at(i + run.first, run.column);
      erase_rank(&set, leaving);
      count_leaving(&cursor, leaving);
      if (last) {
        // The rest of the run leaves too: the set is empty for the next column.
        for (int64_t r = i + run.first + 1; r <= i + run.last; ++r)
          erase_rank(&set, at(r, run.column));
        continue;
      }
      const int32_t entering = at(i + run.last + 1, run.column);
      insert_rank(&set, entering);
      count_entering(&cursor, entering);
    }
    if (last) return;
  }
}

template <class T>
void ranks_of_class(const ImageBlock *b, const ImageWindow *w, void *work) {
  StorageLayout s = carving_layout(work);
  SlidingRoom room = carve_room(s, b, w);
  const int64_t block_rows = b->rows + w->rows - 1, block_cols = b->cols + w->cols - 1;
  const int32_t count = static_cast<int32_t>(block_rows * block_cols);
  key_samples(static_cast<const T *>(b->samples), b->samples_ld, block_rows, block_cols, room.keys);
  rank_keys(room.keys, count, room.rank_of, room.sorted, room.sort_scratch);
  const int32_t runs = domain_runs(w, room.runs);
  clear_rank_set(&room.set, count);
  for (int64_t j = 0; j < b->cols && !stop_requested(); ++j) {
    slide_column<T>(b, w, room, runs, j, block_rows);
  }
}

}  // namespace

size_t sliding_domain_ranks_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  return bytes_taken_by([&](StorageLayout &s) { carve_room(s, block, window); });
}

void sliding_domain_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows == 0 || block->cols == 0) return;
  with_element_type(block->type, [&](auto *element) {
    using T = std::remove_pointer_t<decltype(element)>;
    ranks_of_class<T>(block, window, work);
  });
}
