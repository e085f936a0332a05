#include "core/images/window_select_ranks.h"

#include <algorithm>
#include <type_traits>

#include "core/images/image_keys.h"
#include "core/support/interruption.h"
#include "core/support/storage_layout.h"

namespace {

struct SelectRoom {
  int64_t *places;  // of the domain's samples in the window (row + column * samples_ld)
  double *offsets;  // their offsets (none without)
  int64_t *keys;    // one window's sums
};

SelectRoom carve_room(StorageLayout &s, const ImageWindow *w) {
  return {take<int64_t>(s, w->count), take<double>(s, w->offsets ? w->count : 0),
          take<int64_t>(s, w->count)};
}

// Windows this small are sorted by insertion: fewer steps than introselect's partitions.
const int32_t kMostInsertionSorted = 16;

// The key of rank `rank` among keys[0 ... count-1] (which it reorders).
int64_t selected_key(int64_t *keys, int32_t count, int32_t rank) {
  if (count > kMostInsertionSorted) {
    std::nth_element(keys, keys + rank, keys + count);
    return keys[rank];
  }
  for (int32_t k = 1; k < count; ++k) {
    const int64_t key = keys[k];
    int32_t at = k;
    for (; at > 0 && keys[at - 1] > key; --at) keys[at] = keys[at - 1];
    keys[at] = key;
  }
  return keys[rank];
}

template <class T>
void ranks_of_class(const ImageBlock *b, const ImageWindow *w, const SelectRoom &room) {
  int32_t held = 0;
  for (int32_t c = 0; c < w->cols; ++c) {
    for (int32_t r = 0; r < w->rows; ++r) {
      const int64_t at = r + static_cast<int64_t>(c) * w->rows;
      if (w->domain && !w->domain[at]) continue;
      room.places[held] = r + c * b->samples_ld;
      if (w->offsets) room.offsets[held] = w->offsets[at];
      ++held;
    }
  }
  const T *x = static_cast<const T *>(b->samples);
  for (int64_t j = 0; j < b->cols && !stop_requested(); ++j) {
    T *y = static_cast<T *>(b->outputs) + j * b->outputs_ld;
    for (int64_t i = 0; i < b->rows; ++i) {
      const T *corner = x + i + j * b->samples_ld;
      if (w->offsets) {
        for (int32_t k = 0; k < held; ++k) {
          room.keys[k] = image_key(offset_sample(corner[room.places[k]], room.offsets[k]));
        }
      } else {
        for (int32_t k = 0; k < held; ++k) room.keys[k] = image_key(corner[room.places[k]]);
      }
      y[i] = image_value<T>(selected_key(room.keys, held, w->rank), b->nan);
    }
  }
}

}  // namespace

size_t window_select_ranks_work_bytes(const ImageBlock *, const ImageWindow *window) {
  return bytes_taken_by([&](StorageLayout &s) { carve_room(s, window); });
}

void window_select_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  StorageLayout s = carving_layout(work);
  const SelectRoom room = carve_room(s, window);
  with_element_type(block->type, [&](auto *element) {
    using T = std::remove_pointer_t<decltype(element)>;
    ranks_of_class<T>(block, window, room);
  });
}
