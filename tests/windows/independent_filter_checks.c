/* The independent host's checks of plorvent_filter: the typical call, this host's NaN in the
 * windows holding NaN, the refusals by identifier, and every result of the Linux build's reference
 * file bit for bit, on each of the thread counts it names. */
#define __USE_MINGW_ANSI_STDIO 1 /* C99 formats (%zu) */
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "independent_harness.h"

/* Results that carry this host's NaN, over every check: some must. */
static size_t host_nan_results;

/* This host's NaN as an element of a double or single array. */
static void host_nan_of(int class_id, void *element) {
  const unsigned long long bits = IH_NAN_BITS;
  double nan;
  memcpy(&nan, &bits, sizeof nan);
  const float single_nan = (float)nan;
  if (class_id == IH_DOUBLE) {
    memcpy(element, &nan, sizeof nan);
  } else {
    memcpy(element, &single_nan, sizeof single_nan);
  }
}

static ih_array *array_of(int class_id, int ndim, const size_t *dims, const void *data) {
  ih_array *a = ih_new_nd_array(class_id, ndim, dims, 0, 0);
  if (ih_data_bytes(a) > 0) memcpy(ih_data(a), data, ih_data_bytes(a));
  return a;
}

/* x, then w, padding, fill, dim, nanmode, blocksize, threads and budget. */
static void filter_args(ih_array **args, ih_array *x, const double *arguments) {
  args[0] = x;
  for (int i = 0; i < 8; ++i) args[i + 1] = scalar(arguments[i]);
}

/* A result of x's class and shape holding exactly the expected bits. */
static void expect_result(outcome *out, int class_id, int ndim, const size_t *dims,
                          const void *expected, double threads) {
  if (out->raised) printf("    raised %s: %s\n", out->id, out->message);
  int same_shape = !out->raised && out->class_id == class_id && out->ndim == ndim;
  for (int d = 0; same_shape && d < ndim; ++d) same_shape = out->dims[d] == dims[d];
  char what[100];
  snprintf(what, sizeof what, "a result of x's class and size (threads = %g)", threads);
  expect(same_shape, what);
  if (same_shape) {
    const size_t size = ih_element_size(class_id);
    const size_t n = out->data_bytes / size;
    const size_t at = first_difference(out->data, expected, n, size);
    if (at < n) printf("    first different output: %zu of %zu\n", at, n);
    snprintf(what, sizeof what, "the expected bits (threads = %g)", threads);
    expect(at == n, what);
  }
  free_outcome(out);
}

static const double kSignal[] = {3, 1, 2, 5, 4};
static const double kMedians[] = {1, 2, 2, 4, 4}; /* of kSignal, w = 3, zero padding */
static const size_t kRow[] = {1, 5};
static const double kTypical[] = {3, 0, 0, 2, 0, 1e6, 1, INFINITY};

static void typical_call(void) {
  ih_array *args[9];
  filter_args(args, array_of(IH_DOUBLE, 2, kRow, kSignal), kTypical);
  outcome out = call_module(1, 9, args);
  expect_result(&out, IH_DOUBLE, 2, kRow, kMedians, 1);
}

/* 1 NaN 3 4 5 with zero padding, w = 3: the first three windows hold the NaN. */
static void windows_holding_nan_give_this_hosts_nan(void) {
  const double x[] = {1, NAN, 3, 4, 5};
  const float x_single[] = {1, NAN, 3, 4, 5};
  double expected[] = {0, 0, 0, 4, 4};
  float expected_single[] = {0, 0, 0, 4, 4};
  for (int i = 0; i < 3; ++i) {
    host_nan_of(IH_DOUBLE, &expected[i]);
    host_nan_of(IH_SINGLE, &expected_single[i]);
  }
  ih_array *args[9];
  filter_args(args, array_of(IH_DOUBLE, 2, kRow, x), kTypical);
  outcome out = call_module(1, 9, args);
  expect_result(&out, IH_DOUBLE, 2, kRow, expected, 1);
  filter_args(args, array_of(IH_SINGLE, 2, kRow, x_single), kTypical);
  out = call_module(1, 9, args);
  expect_result(&out, IH_SINGLE, 2, kRow, expected_single, 1);
  host_nan_results += 6;
}

static void expect_refusal(int nlhs, int nrhs, ih_array **args, const char *id, const char *what) {
  outcome out = call_module(nlhs, nrhs, args);
  char message[1600];
  snprintf(message, sizeof message, "%s: %s, not %s (%s)", what, id,
           out.raised ? out.id : "accepted", out.message);
  expect(out.raised && strcmp(out.id, id) == 0, message);
  free_outcome(&out);
}

static void wrong_counts_raise_usage(void) {
  static const int counts[][2] = {{1, 0}, {1, 8}, {1, 10}, {2, 9}}; /* nlhs, nrhs */
  for (size_t c = 0; c < sizeof counts / sizeof *counts; ++c) {
    ih_array *args[10];
    filter_args(args, array_of(IH_DOUBLE, 2, kRow, kSignal), kTypical);
    args[9] = scalar(1);
    for (int i = counts[c][1]; i < 10; ++i) ih_delete_array(args[i]);
    expect_refusal(counts[c][0], counts[c][1], args, "plorvent_filter:usage", "a wrong count");
  }
}

/* An array of 1-by-cols elements of a class, each `value`, given as argument `position`. */
typedef struct {
  int position, class_id, complex_flag, sparse_flag;
  size_t cols;
  double value;
  const char *id;
} refusal;

static ih_array *filled(const refusal *r) {
  ih_array *a = ih_new_array(r->class_id, 1, r->cols, r->complex_flag, r->sparse_flag);
  const size_t size = ih_element_size(r->class_id);
  for (size_t i = 0; i < ih_data_bytes(a) / (size ? size : 1); ++i) {
    char *element = (char *)ih_data(a) + i * size;
    if (r->class_id == IH_DOUBLE) {
      memcpy(element, &r->value, size);
    } else if (r->class_id == IH_SINGLE) {
      const float v = (float)r->value;
      memcpy(element, &v, size);
    } else if (size == 1) {
      *element = (char)r->value;
    }
  }
  return a;
}

static void each_refusal_carries_its_identifier(void) {
  const char *input = "plorvent_filter:invalidInput", *argument = "plorvent_filter:invalidArgument";
  const refusal refusals[] = {
      {0, IH_DOUBLE, 1, 0, 5, 1, input},
      {0, IH_DOUBLE, 0, 1, 5, 1, input},
      {0, IH_CHAR, 0, 0, 5, 0, input},
      {0, IH_CELL, 0, 0, 5, 0, input},
      {0, IH_STRUCT, 0, 0, 1, 0, input},
      {1, IH_DOUBLE, 0, 0, 1, 2, argument},
      {1, IH_DOUBLE, 0, 0, 1, 0, argument},
      {1, IH_DOUBLE, 0, 0, 1, 2147483649.0, argument},
      {1, IH_DOUBLE, 0, 0, 1, NAN, argument},
      {1, IH_SINGLE, 0, 0, 1, 3, argument},
      {1, IH_DOUBLE, 1, 0, 1, 3, argument},
      {1, IH_DOUBLE, 0, 1, 1, 3, argument},
      {1, IH_DOUBLE, 0, 0, 2, 3, argument},
      {1, IH_DOUBLE, 0, 0, 0, 3, argument},
      {2, IH_DOUBLE, 0, 0, 1, 4, argument},
      {2, IH_DOUBLE, 0, 0, 1, 0.5, argument},
      {3, IH_INT8, 0, 0, 1, 0, argument},
      {3, IH_DOUBLE, 0, 0, 2, 0, argument},
      {4, IH_DOUBLE, 0, 0, 1, 0, argument},
      {4, IH_DOUBLE, 0, 0, 1, 1.5, argument},
      {4, IH_DOUBLE, 0, 0, 1, INFINITY, argument},
      {5, IH_DOUBLE, 0, 0, 1, 2, argument},
      {5, IH_LOGICAL, 0, 0, 1, 1, argument},
      {6, IH_DOUBLE, 0, 0, 1, 0, argument},
      {7, IH_DOUBLE, 0, 0, 1, 0, argument},
      {7, IH_DOUBLE, 0, 0, 1, 257, argument},
      {8, IH_DOUBLE, 0, 0, 1, -1, argument},
      {8, IH_DOUBLE, 0, 0, 1, NAN, argument},
  };
  for (size_t r = 0; r < sizeof refusals / sizeof *refusals; ++r) {
    ih_array *args[9];
    filter_args(args, array_of(IH_DOUBLE, 2, kRow, kSignal), kTypical);
    ih_delete_array(args[refusals[r].position]);
    args[refusals[r].position] = filled(&refusals[r]);
    char what[200];
    snprintf(what, sizeof what, "argument %d of class %d%s%s, %zu of %g", refusals[r].position + 1,
             refusals[r].class_id, refusals[r].complex_flag ? " complex" : "",
             refusals[r].sparse_flag ? " sparse" : "", refusals[r].cols, refusals[r].value);
    expect_refusal(1, 9, args, refusals[r].id, what);
  }
}

/* -0 1 2 padded with +0, NaN raw: which zero the selection leaves in a window of 2^31-1 samples
 * only that selection tells, and it would need 16 GiB of its own. */
static void window_beyond_the_budget_refused(void) {
  const double x[] = {-0.0, 1, 2};
  const size_t column[] = {3, 1};
  const double arguments[] = {2147483647.0, 0, 0, 1, 1, 1e6, 1, 1e6};
  ih_array *args[9];
  filter_args(args, array_of(IH_DOUBLE, 2, column, x), arguments);
  expect_refusal(1, 9, args, "plorvent_filter:windowTooLong", "w = 2^31-1, budget 1e6");
}

/* The reference file, read here on its own terms: the 8 bytes "PLVFLT01", a uint64 case count,
 * then per case a uint64 name length and the name; uint64 class, uint64 number of dimensions and
 * that many uint64 sizes; the doubles w, padding, fill, dim, nanmode, blocksize and budget; a
 * uint64 count of thread counts and that many doubles; x's elements and the result's, each as
 * its class stores it; native byte order. */
typedef struct {
  char name[1001];
  int class_id, ndim;
  size_t dims[IH_MOST_DIMS];
  double arguments[7]; /* w, padding, fill, dim, nanmode, blocksize, budget */
  uint64_t thread_counts;
  double *threads;
  void *x, *expected;
} filter_case;

static void free_case(filter_case *c) {
  free(c->threads);
  free(c->x);
  free(c->expected);
}

static int read_shape(FILE *f, filter_case *c, uint64_t *count) {
  uint64_t class_id, ndim, size;
  if (!read_u64(f, &class_id) || ih_element_size((int)class_id) == 0 || !read_u64(f, &ndim) ||
      ndim > IH_MOST_DIMS) {
    return 0;
  }
  c->class_id = (int)class_id;
  c->ndim = (int)ndim;
  *count = 1;
  for (int d = 0; d < c->ndim; ++d) {
    if (!read_u64(f, &size) || size > ((uint64_t)1 << 27)) return 0;
    c->dims[d] = (size_t)size;
    *count *= size;
  }
  return 1;
}

static int read_case(FILE *f, filter_case *c) {
  uint64_t name_length, count;
  memset(c, 0, sizeof *c);
  if (!read_u64(f, &name_length) || name_length >= sizeof c->name ||
      fread(c->name, 1, name_length, f) != name_length || !read_shape(f, c, &count) ||
      fread(c->arguments, sizeof(double), 7, f) != 7 || !read_u64(f, &c->thread_counts)) {
    return 0;
  }
  const size_t size = ih_element_size(c->class_id);
  c->threads = read_elements(f, c->thread_counts, sizeof(double));
  c->x = c->threads ? read_elements(f, count, size) : NULL;
  c->expected = c->x ? read_elements(f, count, size) : NULL;
  if (c->expected == NULL) free_case(c);
  return c->expected != NULL;
}

/* In nanmode 0 a window holding NaN gives the host's NaN: the Linux build's results carry its
 * host's, which become this host's (and so does any other NaN there: none may pass through). */
static void expect_this_hosts_nan(filter_case *c, size_t count) {
  const int floating = c->class_id == IH_DOUBLE || c->class_id == IH_SINGLE;
  if (!floating || c->arguments[4] != 0) return;
  const size_t size = ih_element_size(c->class_id);
  for (size_t i = 0; i < count; ++i) {
    char *element = (char *)c->expected + i * size;
    double value;
    if (size == sizeof(double)) {
      memcpy(&value, element, sizeof value);
    } else {
      float single;
      memcpy(&single, element, sizeof single);
      value = single;
    }
    if (value != value) {
      host_nan_of(c->class_id, element);
      ++host_nan_results;
    }
  }
}

static void matches_the_linux_build(filter_case *c) {
  size_t count = 1;
  for (int d = 0; d < c->ndim; ++d) count *= c->dims[d];
  expect_this_hosts_nan(c, count);
  for (uint64_t t = 0; t < c->thread_counts; ++t) {
    const double *a = c->arguments;
    const double arguments[8] = {a[0], a[1], a[2], a[3], a[4], a[5], c->threads[t], a[6]};
    ih_array *args[9];
    filter_args(args, array_of(c->class_id, c->ndim, c->dims, c->x), arguments);
    outcome out = call_module(1, 9, args);
    expect_result(&out, c->class_id, c->ndim, c->dims, c->expected, c->threads[t]);
  }
}

static int replay_case(FILE *f, char *name, size_t name_size) {
  filter_case c;
  if (!read_case(f, &c)) return 0;
  snprintf(name, name_size, "%s", c.name);
  matches_the_linux_build(&c);
  free_case(&c);
  return 1;
}

static void some_results_carry_this_hosts_nan(void) {
  printf("    %zu results compared as this host's NaN\n", host_nan_results);
  expect(host_nan_results > 100, "windows holding NaN checked for this host's NaN");
}

int run_filter_checks(const char *reference_file) {
  run("typical call", typical_call);
  run("windows holding NaN give this host's NaN", windows_holding_nan_give_this_hosts_nan);
  run("wrong counts raise plorvent_filter:usage", wrong_counts_raise_usage);
  run("each refusal carries its identifier", each_refusal_carries_its_identifier);
  run("a window beyond the budget refused", window_beyond_the_budget_refused);
  const int whole = replay_reference_file(reference_file, "PLVFLT01", replay_case);
  run("the reference cases reached this host's NaN", some_results_carry_this_hosts_nan);
  return whole;
}
