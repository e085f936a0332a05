#include "core/images/offset_window_ranks.h"

#include <algorithm>
#include <type_traits>

#include "core/images/image_keys.h"
#include "core/support/interruption.h"
#include "core/support/storage_layout.h"

namespace {

struct OffsetRoom {
  int64_t *places;  // of the domain's samples in the window (row + column * samples_ld)
  double *offsets;  // their offsets
  int64_t *keys;    // one window's sums
};

OffsetRoom carve_room(StorageLayout &s, const ImageWindow *w) {
  return {take<int64_t>(s, w->count), take<double>(s, w->count), take<int64_t>(s, w->count)};
}

template <class T>
void ranks_of_class(const ImageBlock *b, const ImageWindow *w, const OffsetRoom &room) {
  int32_t held = 0;
  for (int32_t c = 0; c < w->cols; ++c) {
    for (int32_t r = 0; r < w->rows; ++r) {
      const int64_t at = r + static_cast<int64_t>(c) * w->rows;
      if (w->domain && !w->domain[at]) continue;
      room.places[held] = r + c * b->samples_ld;
      room.offsets[held++] = w->offsets[at];
    }
  }
  const T *x = static_cast<const T *>(b->samples);
  for (int64_t j = 0; j < b->cols && !stop_requested(); ++j) {
    T *y = static_cast<T *>(b->outputs) + j * b->outputs_ld;
    for (int64_t i = 0; i < b->rows; ++i) {
      const T *corner = x + i + j * b->samples_ld;
      for (int32_t k = 0; k < held; ++k) {
        room.keys[k] = image_key(offset_sample(corner[room.places[k]], room.offsets[k]));
      }
      std::nth_element(room.keys, room.keys + w->rank, room.keys + held);
      y[i] = image_value<T>(room.keys[w->rank], b->nan);
    }
  }
}

}  // namespace

size_t offset_window_ranks_work_bytes(const ImageBlock *, const ImageWindow *window) {
  return bytes_taken_by([&](StorageLayout &s) { carve_room(s, window); });
}

void offset_window_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  StorageLayout s = carving_layout(work);
  const OffsetRoom room = carve_room(s, window);
  with_element_type(block->type, [&](auto *element) {
    using T = std::remove_pointer_t<decltype(element)>;
    ranks_of_class<T>(block, window, room);
  });
}
