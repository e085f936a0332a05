#include "core/jobs/image_job.h"

#include <algorithm>
#include <type_traits>

#include "core/images/image_ranks.h"
#include "core/images/middle_means.h"
#include "core/jobs/signal_array.h"
#include "core/jobs/worker_threads.h"
#include "core/support/storage_layout.h"

namespace {

// Samples a tile aims to hold: its keys and ranks stay within a few megabytes.
const int64_t kTileSamples = int64_t{1} << 17;

// The most samples a tile may hold whatever the window.
const int64_t kMostTileSamples = 2147483647;

// The fewest output rows of a tile along the top and bottom edges, where the image has them: a
// vector of the narrowest class's lanes (32 bytes) down the rows.
const int64_t kLeastEdgeRows = 32;

int64_t before_origin(int32_t size) {
  return (size - 1) / 2;
}

struct ImageRoom {
  void *samples;     // the tile's padded samples, column-major, of class y_type
  int64_t *sources;  // for each of its rows, the image's row (-1: the fill)
  void *engine;
  void *next;  // the tile's outputs of the next rank, when the job takes means
};

ImageWindow next_rank(const ImageWindow &window) {
  ImageWindow next = window;
  ++next.rank;
  return next;
}

ImageBlock tile_block(const ImageJob &job, const ImagePlan &plan) {
  ImageBlock b = {};
  b.type = job.y_type;
  b.rows = plan.tile_rows;
  b.cols = plan.tile_cols;
  b.samples_ld = plan.tile_rows + job.window.rows - 1;
  b.outputs_ld = job.rows;
  b.nan = job.nan;
  return b;
}

ImageRoom carve_room(StorageLayout &s, const ImageJob &job, const ImagePlan &plan) {
  const ImageBlock b = tile_block(job, plan);
  const int64_t block_cols = plan.tile_cols + job.window.cols - 1;
  const size_t element = sample_bytes(job.y_type);
  ImageRoom room;
  room.samples = take_bytes(s, static_cast<size_t>(b.samples_ld * block_cols) * element);
  room.sources = take<int64_t>(s, b.samples_ld);
  size_t engine_bytes = image_ranks_work_bytes(&b, &job.window);
  room.next = nullptr;
  if (job.mean_with_next) {
    const ImageWindow next = next_rank(job.window);
    engine_bytes = std::max(engine_bytes, image_ranks_work_bytes(&b, &next));
    room.next = take_bytes(s, static_cast<size_t>(b.rows * b.cols) * element);
  }
  room.engine = take_bytes(s, engine_bytes);
  return room;
}

// The image's index that position i (any whole number) pads from, or -1 for the fill.
int64_t source_of(int64_t i, int64_t size, ImagePadding padding) {
  if (i >= 0 && i < size) return i;
  if (padding == kConstantImagePadding) return -1;
  const int64_t period = 2 * size, k = ((i % period) + period) % period;
  return k < size ? k : period - 1 - k;
}

// One padded row of a column: the fill, or the image's sample the row pads from.
template <class X, class Y>
Y padded_sample(const X *column, int64_t source, Y fill) {
  return source < 0 ? fill : static_cast<Y>(column[source]);
}

// Copies the tile's padded samples, converting them to the result's class. Its row r is the
// image's row first_row + r where that lies inside the image: those rows are copied straight.
template <class X, class Y>
void copy_tile(const ImageJob &job, const X *plane, const ImageRoom &room, int64_t first_row,
               int64_t first_col, int64_t rows, int64_t cols) {
  for (int64_t r = 0; r < rows; ++r) {
    room.sources[r] = source_of(first_row + r, job.rows, job.padding);
  }
  Y *out = static_cast<Y *>(room.samples);
  const Y fill = static_cast<Y>(job.fill);
  const int64_t begin = std::clamp<int64_t>(-first_row, 0, rows);
  const int64_t end = std::clamp<int64_t>(job.rows - first_row, begin, rows);
  for (int64_t c = 0; c < cols; ++c, out += rows) {
    const int64_t source_col = source_of(first_col + c, job.cols, job.padding);
    if (source_col < 0) {
      std::fill(out, out + rows, fill);
      continue;
    }
    const X *column = plane + source_col * job.rows;
    for (int64_t r = 0; r < begin; ++r) out[r] = padded_sample(column, room.sources[r], fill);
    std::copy(column + first_row + begin, column + first_row + end, out + begin);  // memmove
    for (int64_t r = end; r < rows; ++r) out[r] = padded_sample(column, room.sources[r], fill);
  }
}

// Whether rows first_row ... first_row + rows - 1 and columns likewise all lie inside the image.
bool lies_inside(const ImageJob &job, int64_t first_row, int64_t first_col, int64_t rows,
                 int64_t cols) {
  return first_row >= 0 && first_col >= 0 && first_row + rows <= job.rows &&
         first_col + cols <= job.cols;
}

// How one dimension of the outputs is cut into tiles of at most `size` outputs. When the window
// reaches little beyond a tile, the outputs whose windows cross the image's edge (the first
// `head`, the last `tail`) are tiles of their own, so that every other tile's samples lie inside
// the image and are read in place, and only thin tiles hold the padding. Those tiles are at
// least `least_edge` outputs where the dimension has room (a few more copied, where a tile one
// row high would leave the engines' vectors, which hold neighbouring rows, idle).
struct TileCuts {
  int64_t size;
  int64_t head, body, tail;  // outputs in each stretch, cut apart
};

TileCuts tile_cuts(int64_t outputs, int64_t size, int32_t window, int64_t least_edge) {
  const int64_t before = before_origin(window), after = window - 1 - before;
  if (outputs <= before + after || 8 * std::max(before, after) > size) {
    return {size, 0, outputs, 0};
  }
  const int64_t head = std::max(before, least_edge), tail = std::max(after, least_edge);
  if (head + tail >= outputs) return {size, before, outputs - before - after, after};
  return {size, head, outputs - head - tail, tail};
}

int64_t tile_count(const TileCuts &c) {
  return ceil_div(c.head, c.size) + ceil_div(c.body, c.size) + ceil_div(c.tail, c.size);
}

// Tile k's first output and its count of outputs.
void tile_span(const TileCuts &c, int64_t k, int64_t *first, int64_t *count) {
  int64_t start = 0;
  for (const int64_t stretch : {c.head, c.body, c.tail}) {
    const int64_t tiles = ceil_div(stretch, c.size);
    if (k < tiles) {
      *first = start + k * c.size;
      *count = std::min(c.size, stretch - k * c.size);
      return;
    }
    k -= tiles;
    start += stretch;
  }
}

struct Run {
  const ImageJob *job;
  const ImagePlan *plan;
  char *storage;
  TileCuts row_cuts, col_cuts;
  int64_t row_tiles, col_tiles;
};

Run run_of(const ImageJob &job, const ImagePlan &plan, void *storage) {
  Run run = {};
  run.job = &job;
  run.plan = &plan;
  run.storage = static_cast<char *>(storage);
  run.row_cuts = tile_cuts(job.rows, plan.tile_rows, job.window.rows, kLeastEdgeRows);
  run.col_cuts = tile_cuts(job.cols, plan.tile_cols, job.window.cols, 0);
  run.row_tiles = tile_count(run.row_cuts);
  run.col_tiles = tile_count(run.col_cuts);
  return run;
}

void image_task(void *context, int32_t worker, int64_t task) {
  const Run &run = *static_cast<const Run *>(context);
  const ImageJob &job = *run.job;
  const ImagePlan &plan = *run.plan;
  StorageLayout s = carving_layout(run.storage + worker * plan.worker_bytes);
  const ImageRoom room = carve_room(s, job, plan);
  const int64_t plane = task / (run.row_tiles * run.col_tiles);
  const int64_t tile = task % (run.row_tiles * run.col_tiles);
  int64_t i0 = 0, j0 = 0;
  ImageBlock b = tile_block(job, plan);
  tile_span(run.row_cuts, tile % run.row_tiles, &i0, &b.rows);
  tile_span(run.col_cuts, tile / run.row_tiles, &j0, &b.cols);
  b.samples_ld = b.rows + job.window.rows - 1;
  b.samples = room.samples;
  const int64_t first_row = i0 - before_origin(job.window.rows);
  const int64_t first_col = j0 - before_origin(job.window.cols);
  const int64_t plane_at = plane * job.rows * job.cols;
  const int64_t cols = b.cols + job.window.cols - 1;
  const int64_t element = static_cast<int64_t>(sample_bytes(job.y_type));
  if (job.x_type == job.y_type && lies_inside(job, first_row, first_col, b.samples_ld, cols)) {
    // The padded samples are the image's own: the engines read them in place.
    b.samples =
        static_cast<const char *>(job.x) + (plane_at + first_row + first_col * job.rows) * element;
    b.samples_ld = job.rows;
  } else if (job.x_type == job.y_type) {
    with_element_type(job.x_type, [&](auto *e) {
      using T = std::remove_pointer_t<decltype(e)>;
      copy_tile<T, T>(job, static_cast<const T *>(job.x) + plane_at, room, first_row, first_col,
                      b.samples_ld, cols);
    });
  } else {  // logical samples with double results
    copy_tile<uint8_t, double>(job, static_cast<const uint8_t *>(job.x) + plane_at, room, first_row,
                               first_col, b.samples_ld, cols);
  }
  b.outputs = static_cast<char *>(job.y) + (plane_at + i0 + j0 * job.rows) * element;
  image_ranks(&b, &job.window, room.engine);
  if (job.mean_with_next) {
    ImageBlock next_block = b;
    next_block.outputs = room.next;
    next_block.outputs_ld = b.rows;
    const ImageWindow next = next_rank(job.window);
    image_ranks(&next_block, &next, room.engine);
    mean_with_next_ranks(b.type, b.outputs, b.outputs_ld, room.next, b.rows, b.rows, b.cols);
  }
}

bool is_empty(const ImageJob &job) {
  return job.rows == 0 || job.cols == 0 || job.planes == 0;
}

}  // namespace

ImagePlan plan_image(const ImageJob &job) {
  ImagePlan plan = {1, 0, 0, 0};
  if (is_empty(job)) return plan;
  // The engines rank a tile's samples in 32 bits: a window of up to 2^31-1 samples (the gateway
  // refuses more) leaves room for a row of outputs at least.
  const int64_t most_rows = kMostTileSamples / job.window.cols - (job.window.rows - 1);
  const int64_t band = job.band > 0 ? job.band : image_ranks_block_rows(job.y_type, &job.window);
  plan.tile_rows = std::max<int64_t>(1, std::min({band, job.rows, most_rows}));
  const int64_t block_rows = plan.tile_rows + job.window.rows - 1;
  const int64_t fitting = kTileSamples / block_rows - (job.window.cols - 1);
  plan.tile_cols = std::max<int64_t>(1, std::min(fitting, job.cols));
  const Run run = run_of(job, plan, nullptr);
  const int64_t tasks = job.planes * run.row_tiles * run.col_tiles;
  plan.workers = static_cast<int32_t>(
      std::min<int64_t>(workers_for(job.rows * job.cols * job.planes, job.threads), tasks));
  plan.worker_bytes = bytes_taken_by([&](StorageLayout &s) { carve_room(s, job, plan); });
  return plan;
}

void run_image(const ImageJob &job, const ImagePlan &plan, void *storage) {
  if (is_empty(job)) return;
  Run run = run_of(job, plan, storage);
  run_on_workers(image_task, &run, job.planes * run.row_tiles * run.col_tiles, plan.workers);
}
