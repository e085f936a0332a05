// Segments of 16 cumulative counts that a window of n sample columns keeps, shared by the
// sliding-histogram kernels: each kernel file includes it, so that it is compiled in the count
// vectors of count_lanes.h once for each instruction set. A segment's columns lie together, 16
// one-byte counts a column, so that a window's n columns of it are one run.

// The sum of the n columns from `left` on of one segment's columns.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE CountVector sum_columns(const uint8_t *columns, int64_t left,
                                                               int32_t n) {
  CountVector sum = load_byte_counts(columns + left * kCountLanes);
  for (int64_t c = left + 1; c < left + n; ++c) {
    sum = counts_add(sum, load_byte_counts(columns + c * kCountLanes));
  }
  return sum;
}

// The window's counts of one segment, kept in `kept` as of output `kept_at`, brought up to output
// `at`, whose first column is `left`: at most n columns in and n out, or n columns summed anew.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE CountVector bring_up_counts(const uint8_t *columns,
                                                                   uint16_t *kept, int64_t &kept_at,
                                                                   int64_t left, int64_t at,
                                                                   int32_t n) {
  const int64_t passed = at - kept_at;
  CountVector segment;
  if (passed >= n) {
    segment = sum_columns(columns, left, n);
  } else {
    segment = load_counts(kept);
    for (int64_t c = left - passed; c < left; ++c) {
      segment = counts_sub(counts_add(segment, load_byte_counts(columns + (c + n) * kCountLanes)),
                           load_byte_counts(columns + c * kCountLanes));
    }
  }
  store_counts(kept, segment);
  kept_at = at;
  return segment;
}

// The bin of a cumulative segment that holds rank `left`; `left` less the counts below that bin.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE int32_t take_bin(CountVector segment, int32_t &left) {
  uint16_t below[kCountLanes + 1];
  below[0] = 0;
  store_counts(below + 1, segment);
  const int32_t bin = counts_at_most(segment, left);
  left -= below[bin];
  return bin;
}
