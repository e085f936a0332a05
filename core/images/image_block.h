// A block of one image plane to filter by rank, as the image engines take it: its samples are
// already padded, so that every window of the block lies inside them, and the window's shape and
// the ranks it selects are fixed for the whole call.
//
// The order of samples is total: -Inf < ... < -0 < +0 < ... < +Inf < NaN, every NaN alike. An
// output is therefore always the bits of one of its window's samples, the same whatever engine
// computes it, except that an output whose rank falls on a NaN takes `nan`, the host's own.
#ifndef PLORVENT_CORE_IMAGES_IMAGE_BLOCK_H
#define PLORVENT_CORE_IMAGES_IMAGE_BLOCK_H

#include <cstdint>

#include "core/jobs/sample_types.h"

struct ImageBlock {
  SampleType type;      // the class of samples and outputs alike
  const void *samples;  // column-major: sample (r, c) at samples[r + c * samples_ld]
  int64_t samples_ld;   // at least rows + window.rows - 1
  int64_t rows, cols;   // the outputs; the samples span rows + m - 1 by cols + n - 1
  void *outputs;        // output (i, j) at outputs[i + j * outputs_ld]
  int64_t outputs_ld;   // at least rows
  double nan;           // an output whose rank falls on a NaN (floating-point classes)
};

// Output (i, j) is of the window whose top-left sample is (i, j): samples (i .. i+m-1,
// j .. j+n-1) where `domain` holds them.
struct ImageWindow {
  int32_t rows, cols;     // m and n, at least 1
  const uint8_t *domain;  // m * n column-major, nonzero where the window holds its sample;
                          // null: the whole rectangle
  int32_t count;          // the samples the window holds (m * n without a domain)
  int32_t rank;           // 0-based, in ascending order: 0 the least, count - 1 the greatest
  const double *offsets;  // null, or m * n column-major values added to the window's samples
                          // before they are ranked, each in the samples' class (image_keys.h)
};

#endif
