// The whole of an image rank-filter job: every plane of an array (its first two dimensions an
// image, the rest planes), cut into tiles of output rows and columns that run on several
// threads. A tile whose windows reach past the image copies their samples, padded, into its
// worker's storage; any other tile is ranked where it lies (core/images/image_ranks.h). The
// outputs along the edges are tiles of their own, so that most tiles are read in place. An
// output depends only on its window, so the result is the same bits whatever the tiles and the
// threads, and the work memory grows with a tile and the window, never with the image.
#ifndef PLORVENT_CORE_JOBS_IMAGE_JOB_H
#define PLORVENT_CORE_JOBS_IMAGE_JOB_H

#include <cstddef>
#include <cstdint>

#include "core/images/image_block.h"
#include "core/jobs/sample_types.h"

enum ImagePadding {
  kConstantImagePadding,  // the samples beyond the image are `fill`
  kSymmetricImagePadding  // the image mirrored about its edges, the edge repeated
};

struct ImageJob {
  const void *x;      // rows x cols x planes, column-major
  SampleType x_type;  // logical samples may give double results (y_type): with offsets
  void *y;            // as x, of class y_type
  SampleType y_type;  // x_type, or kDoubleSamples for logical x
  int64_t rows, cols, planes;
  ImageWindow window;   // its origin at row floor((m-1)/2), column floor((n-1)/2)
  bool mean_with_next;  // each output the mean of ranks window.rank and the next, as an even
                        // window's median (core/images/middle_means.h)
  ImagePadding padding;
  double fill;   // a value of class y_type that a double holds
  int64_t band;  // the most output rows a tile takes (1 or more); 0: as the engines prefer
  int32_t threads;
  double nan;  // the host's NaN
};

struct ImagePlan {
  int32_t workers;
  int64_t tile_rows, tile_cols;  // of outputs
  size_t worker_bytes;
};

// Decided from the job's shape alone (x and y may be null).
ImagePlan plan_image(const ImageJob &job);

// Runs the job with plan.workers x plan.worker_bytes bytes of storage (aligned for any type).
void run_image(const ImageJob &job, const ImagePlan &plan, void *storage);

#endif
