#include "core/images/ranked_sub_blocks.h"

#include <algorithm>
#include <type_traits>

#include "core/images/image_keys.h"
#include "core/images/image_ranks.h"
#include "core/images/place_bitsets.h"
#include "core/images/small_kernel_ranks.h"
#include "core/support/interruption.h"
#include "core/support/keyed_sort.h"
#include "core/support/storage_layout.h"

namespace {

// A sub-block's samples span `sample_rows` by `sample_cols`.
struct SubBlockShape {
  int64_t sample_rows, sample_cols;
};

// Whether the places' own engine ranks them: where it serves the window and the small kernels'
// networks do not (measured at 8x8 on doubles: the networks 44-48 ns a pixel, the places' bits
// 62-75).
bool by_place_bits(const ImageWindow *w) {
  ImageBlock places = {};
  places.type = kUint16Samples;
  return place_bitset_serves(w) && !small_kernel_serves(&places, w);
}

// The most samples of a sub-block: the places' bits take at most kMostPlaces.
int32_t sub_block_samples(const ImageWindow *w, int32_t most_samples) {
  return by_place_bits(w) ? std::min(most_samples, kMostPlaces) : most_samples;
}

// At least twice the window each way, at most most_samples samples. Where the places' bits rank
// them: below kMostPlaces, one strip of their engine wide (so that each strip starts once for
// the sub-block's height), at least 2n. Else near square, at least 256 wide.
SubBlockShape sub_block_shape(const ImageBlock *b, const ImageWindow *w, int32_t most_samples) {
  most_samples = sub_block_samples(w, most_samples);
  const int64_t least_wide = by_place_bits(w) ? kPlaceStripCols + w->cols - 1 : 256;
  const int64_t wide = std::max(2 * int64_t{w->cols}, least_wide);
  int64_t rows = most_samples / wide;
  if (rows < 2 * int64_t{w->rows}) rows = 2 * int64_t{w->rows};
  if (rows > b->rows + w->rows - 1) rows = b->rows + w->rows - 1;
  int64_t cols = most_samples / rows;
  if (cols > b->cols + w->cols - 1) cols = b->cols + w->cols - 1;
  return {rows, cols};
}

// The 16-bit block of places and its outputs, as the engines take them.
ImageBlock places_block(SubBlockShape s, const ImageWindow *w, const uint16_t *places,
                        uint16_t *outputs) {
  const int64_t rows = s.sample_rows - w->rows + 1, cols = s.sample_cols - w->cols + 1;
  return {kUint16Samples, places, s.sample_rows, rows, cols, outputs, rows, 0};
}

// The places' ranks: by their bits where that engine serves the window (measured through Octave
// from 9x9 to 51x51 on doubles: 1.2-1.4 times as fast as the nibble histograms on uniform noise,
// 1.1-1.9 on a ramp, even to 1.15 on two levels), else by the 16-bit engines.
int64_t places_work_bytes(const ImageBlock *places, const ImageWindow *w) {
  if (by_place_bits(w)) return place_bitset_work_bytes(places, w);
  return static_cast<int64_t>(image_ranks_work_bytes(places, w));
}

void rank_places(const ImageBlock *places, const ImageWindow *w, void *work) {
  if (by_place_bits(w)) {
    place_bitset_ranks(places, w, work);
  } else {
    image_ranks(places, w, work);
  }
}

struct SubBlockRoom {
  int64_t *keys;
  uint32_t *place_of;
  int64_t *sorted;
  void *sort_scratch;
  uint16_t *places, *outputs;
  void *engine_work;
};

// The room holds the sub-blocks of any block up to b, as the image job's tiles take it: a
// sub-block is tallest for b itself and widest for a block of one row (fewer rows leave room for
// more columns), and never holds more than its most samples.
SubBlockRoom carve_room(StorageLayout &s, const ImageBlock *b, const ImageWindow *w,
                        int32_t most_samples) {
  ImageBlock one_row = *b;
  one_row.rows = 1;
  const SubBlockShape shape = {sub_block_shape(b, w, most_samples).sample_rows,
                               sub_block_shape(&one_row, w, most_samples).sample_cols};
  const int64_t count =
      std::min<int64_t>(shape.sample_rows * shape.sample_cols, sub_block_samples(w, most_samples));
  SubBlockRoom room;
  room.keys = take<int64_t>(s, count);
  room.place_of = take<uint32_t>(s, count);
  room.sorted = take<int64_t>(s, count);
  room.sort_scratch = take_bytes(s, rank_keys_scratch_bytes(static_cast<int32_t>(count)));
  room.places = take<uint16_t>(s, count);
  room.outputs = take<uint16_t>(s, count);
  const ImageBlock places = places_block(shape, w, room.places, room.outputs);
  room.engine_work = take_bytes(s, static_cast<size_t>(places_work_bytes(&places, w)));
  return room;
}

// The outputs of rows i0 ... and columns j0 ... within sub-block shape `s`.
template <class T>
void rank_sub_block(const ImageBlock *b, const ImageWindow *w, const SubBlockRoom &room,
                    SubBlockShape s, int64_t i0, int64_t j0) {
  const T *x = static_cast<const T *>(b->samples) + i0 + j0 * b->samples_ld;
  key_samples(x, b->samples_ld, s.sample_rows, s.sample_cols, room.keys);
  const int32_t count = static_cast<int32_t>(s.sample_rows * s.sample_cols);
  rank_keys(room.keys, count, room.place_of, room.sorted, room.sort_scratch);
  for (int32_t k = 0; k < count; ++k) room.places[k] = static_cast<uint16_t>(room.place_of[k]);
  const ImageBlock places = places_block(s, w, room.places, room.outputs);
  rank_places(&places, w, room.engine_work);
  T *y = static_cast<T *>(b->outputs) + i0 + j0 * b->outputs_ld;
  for (int64_t j = 0; j < places.cols; ++j) {
    for (int64_t i = 0; i < places.rows; ++i) {
      y[i + j * b->outputs_ld] =
          image_value<T>(room.sorted[room.outputs[i + j * places.rows]], b->nan);
    }
  }
}

template <class T>
void ranks_of_class(const ImageBlock *b, const ImageWindow *w, void *work, int32_t most_samples) {
  StorageLayout s = carving_layout(work);
  const SubBlockRoom room = carve_room(s, b, w, most_samples);
  const SubBlockShape full = sub_block_shape(b, w, most_samples);
  const int64_t step_rows = full.sample_rows - w->rows + 1;
  const int64_t step_cols = full.sample_cols - w->cols + 1;
  for (int64_t j0 = 0; j0 < b->cols; j0 += step_cols) {
    for (int64_t i0 = 0; i0 < b->rows && !stop_requested(); i0 += step_rows) {
      SubBlockShape here = full;
      if (b->rows - i0 < step_rows) here.sample_rows = b->rows - i0 + w->rows - 1;
      if (b->cols - j0 < step_cols) here.sample_cols = b->cols - j0 + w->cols - 1;
      rank_sub_block<T>(b, w, room, here, i0, j0);
    }
  }
}

}  // namespace

bool ranked_sub_blocks_serves(const ImageBlock *block, const ImageWindow *window) {
  const SampleType t = block->type;
  const bool wide = t == kDoubleSamples || t == kSingleSamples || t == kInt32Samples ||
                    t == kUint32Samples || t == kInt64Samples || t == kUint64Samples;
  const bool sixteen_bits = t == kUint16Samples || t == kInt16Samples;
  if (!wide && !(sixteen_bits && by_place_bits(window))) return false;
  return window->domain == nullptr && window->offsets == nullptr && window->rows >= 1 &&
         window->cols >= 1 && 4 * int64_t{window->rows} * window->cols <= kMostSubBlockSamples;
}

int64_t ranked_sub_blocks_work_bytes(const ImageBlock *block, const ImageWindow *window,
                                     int32_t most_samples) {
  return static_cast<int64_t>(
      bytes_taken_by([&](StorageLayout &s) { carve_room(s, block, window, most_samples); }));
}

void ranked_sub_blocks_ranks(const ImageBlock *block, const ImageWindow *window, void *work,
                             int32_t most_samples) {
  if (block->rows == 0 || block->cols == 0) return;
  with_element_type(block->type, [&](auto *element) {
    using T = std::remove_pointer_t<decltype(element)>;
    ranks_of_class<T>(block, window, work, most_samples);
  });
}
