/* A second Windows test host for the module, written apart from the project's stand-in host: its
 * own libmx.dll returns each bool with dirty bits above the low byte of EAX, as a library built by
 * another compiler may, and its own libmex.dll leaves the module by a native unwind. It loads the
 * module, checks the typical call, the usage message, the refusal of other classes and of sparse
 * arrays, the real part of complex arguments, and every result of the Linux build's reference
 * cases file bit for bit.
 * Usage: independent_host MODULE REFERENCE_FILE */
#define __USE_MINGW_ANSI_STDIO 1 /* C99 formats (%zu) */
#include "independent_host.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static ih_gateway gateway;
static int failures_in_case;

static void expect(int ok, const char *what) {
  if (ok) return;
  ++failures_in_case;
  printf("    FAIL: %s\n", what);
}

typedef struct {
  int raised;
  char id[256];
  char message[1024];
  size_t rows, cols;
  double *values; /* the result's data, owned by the outcome */
} outcome;

static ih_array *row(const double *values, size_t n) {
  ih_array *a = ih_new_array(IH_DOUBLE, 1, n, 0, 0);
  if (n > 0) memcpy(ih_real(a), values, n * sizeof *values);
  return a;
}

static ih_array *scalar(double value) {
  return row(&value, 1);
}

/* One call as the host makes it; destroys the arguments. Afterwards no mxCalloc block may be
 * held, and exactly one array (the result) may have been created, none after an error. */
static outcome call_module(int nlhs, int nrhs, ih_array **args) {
  outcome out = {0};
  ih_array *plhs[2] = {NULL, NULL};
  const long arrays_before = ih_live_arrays();
  out.raised = ih_call(gateway, nlhs, plhs, nrhs, (const ih_array **)args);
  expect(ih_live_blocks() == 0, "every mxCalloc block given back");
  expect(ih_live_arrays() == arrays_before + (out.raised ? 0 : 1), "one result array or none");
  if (out.raised) {
    snprintf(out.id, sizeof out.id, "%s", ih_error_id());
    snprintf(out.message, sizeof out.message, "%s", ih_error_message());
  } else if (plhs[0] != NULL) {
    out.rows = ih_rows(plhs[0]);
    out.cols = ih_cols(plhs[0]);
    out.values = malloc((out.rows * out.cols + 1) * sizeof(double));
    memcpy(out.values, ih_real(plhs[0]), out.rows * out.cols * sizeof(double));
  }
  for (int i = 0; i < nrhs; ++i) ih_delete_array(args[i]);
  ih_delete_array(plhs[0]);
  return out;
}

/* Index of the first output whose bits differ from the expected ones; n when none does. */
static size_t first_difference(const double *got, const double *expected, size_t n) {
  size_t i = 0;
  while (i < n && memcmp(&got[i], &expected[i], sizeof(double)) == 0) ++i;
  return i;
}

static void expect_column(outcome *out, const double *expected, size_t n) {
  if (out->raised) printf("    raised %s: %s\n", out->id, out->message);
  expect(!out->raised && out->rows == n && out->cols == 1, "an n-by-1 result");
  if (!out->raised && out->rows == n) {
    const size_t at = first_difference(out->values, expected, n);
    if (at < n) printf("    first different output: %zu of %zu\n", at, n);
    expect(at == n, "the expected bits");
  }
  free(out->values);
}

static const double kSignal[] = {3, 1, 2, 5, 4};
static const double kMedians[] = {1, 2, 2, 4, 4}; /* of kSignal, W2 = 1, zero extensions */

static void typical_args(ih_array **args) {
  args[0] = row(kSignal, 5);
  args[1] = scalar(0);
  args[2] = scalar(0);
  args[3] = scalar(1);
}

static void bool_results_are_dirty(void) {
  ih_array *a = scalar(0);
  for (int i = 0; i < 8; ++i) {
    const unsigned value = mxIsDouble(a);
    expect((value & 0xFFu) == 1 && (value >> 8) != 0, "true in AL, nonzero bits 8-31");
  }
  ih_delete_array(a);
}

static void typical_call(void) {
  ih_array *args[4];
  typical_args(args);
  outcome out = call_module(1, 4, args);
  expect_column(&out, kMedians, 5);
}

static void wrong_counts_raise_the_usage_message(void) {
  static const int counts[][2] = {{1, 0}, {1, 3}, {1, 5}, {0, 4}, {2, 4}}; /* nlhs, nrhs */
  for (size_t c = 0; c < sizeof counts / sizeof *counts; ++c) {
    ih_array *args[5];
    typical_args(args);
    args[4] = scalar(0);
    for (int i = counts[c][1]; i < 5; ++i) ih_delete_array(args[i]);
    outcome out = call_module(counts[c][0], counts[c][1], args);
    const char usage[] = "Incorrect number of parameters.";
    expect(out.raised && out.id[0] == '\0' && strncmp(out.message, usage, strlen(usage)) == 0,
           "the usage message, with no identifier");
    free(out.values);
  }
}

static void refuses(int class_id, int sparse_flag, const char *id) {
  for (int position = 0; position < 4; ++position) {
    ih_array *args[4];
    typical_args(args);
    ih_delete_array(args[position]);
    args[position] = ih_new_array(class_id, 1, 5, 0, sparse_flag);
    outcome out = call_module(1, 4, args);
    char what[1400];
    snprintf(what, sizeof what, "class %d%s as argument %d: %s, not %s (%s)", class_id,
             sparse_flag ? " sparse" : "", position + 1, id, out.raised ? out.id : "accepted",
             out.message);
    expect(out.raised && strcmp(out.id, id) == 0, what);
    free(out.values);
  }
}

static void refuses_other_classes_and_sparse(void) {
  static const int classes[] = {IH_SINGLE, IH_INT8, IH_LOGICAL, IH_CHAR, IH_STRUCT};
  for (size_t c = 0; c < sizeof classes / sizeof *classes; ++c) {
    refuses(classes[c], 0, "plorvent_core:notDouble");
  }
  refuses(IH_DOUBLE, 1, "plorvent_core:sparse");
}

static void complex_arguments_use_their_real_part(void) {
  ih_array *args[4];
  typical_args(args);
  ih_delete_array(args[0]);
  ih_delete_array(args[3]);
  args[0] = ih_new_array(IH_DOUBLE, 1, 5, 1, 0);
  args[3] = ih_new_array(IH_DOUBLE, 1, 1, 1, 0);
  memcpy(ih_real(args[0]), kSignal, sizeof kSignal);
  for (int i = 0; i < 5; ++i) ih_imag(args[0])[i] = 100 + i;
  ih_real(args[3])[0] = 1;
  ih_imag(args[3])[0] = 7;
  outcome out = call_module(1, 4, args);
  expect_column(&out, kMedians, 5);
}

/* The reference cases file, read here on its own terms: the 8 bytes "PLVREF01", a uint64 case
 * count, then per case a uint64 name length and the name, the double W2, uint64 lengths of x,
 * xic and xfc, their doubles, and as many result doubles as x has; native byte order. */
typedef struct {
  char name[1001];
  double W2;
  uint64_t n, nic, nfc;
  double *x, *xic, *xfc, *expected;
} reference_case;

static int read_u64(FILE *f, uint64_t *v) {
  return fread(v, sizeof *v, 1, f) == 1;
}

static double *read_doubles(FILE *f, uint64_t count) {
  if (count > ((uint64_t)1 << 27)) return NULL;
  double *p = malloc((count + 1) * sizeof *p);
  if (p != NULL && fread(p, sizeof *p, count, f) != count) {
    free(p);
    p = NULL;
  }
  return p;
}

static void free_case(reference_case *c) {
  free(c->x);
  free(c->xic);
  free(c->xfc);
  free(c->expected);
}

static int read_case(FILE *f, reference_case *c) {
  uint64_t name_length;
  memset(c, 0, sizeof *c);
  if (!read_u64(f, &name_length) || name_length >= sizeof c->name) return 0;
  if (fread(c->name, 1, name_length, f) != name_length) return 0;
  if (fread(&c->W2, sizeof c->W2, 1, f) != 1 || !read_u64(f, &c->n) || !read_u64(f, &c->nic) ||
      !read_u64(f, &c->nfc)) {
    return 0;
  }
  c->x = read_doubles(f, c->n);
  c->xic = c->x ? read_doubles(f, c->nic) : NULL;
  c->xfc = c->xic ? read_doubles(f, c->nfc) : NULL;
  c->expected = c->xfc ? read_doubles(f, c->n) : NULL;
  if (c->expected == NULL) free_case(c);
  return c->expected != NULL;
}

static void matches_the_linux_build(const reference_case *c) {
  ih_array *args[4] = {row(c->x, c->n), row(c->xic, c->nic), row(c->xfc, c->nfc), scalar(c->W2)};
  outcome out = call_module(1, 4, args);
  expect_column(&out, c->expected, c->n);
}

static int passed, failed;

static void report(const char *name) {
  if (failures_in_case == 0) {
    ++passed;
  } else {
    ++failed;
  }
  printf("%s %s\n", failures_in_case == 0 ? "PASS" : "FAIL", name);
  fflush(stdout);
  failures_in_case = 0;
}

static void run(const char *name, void (*check)(void)) {
  check();
  report(name);
}

/* Every case of the file; false when it is missing, of another format or cut short. */
static int run_reference_cases(const char *path) {
  FILE *f = fopen(path, "rb");
  char magic[8];
  uint64_t count = 0;
  int ok = f != NULL && fread(magic, 1, 8, f) == 8 && memcmp(magic, "PLVREF01", 8) == 0 &&
           read_u64(f, &count) && count > 0 && count < 1000;
  for (uint64_t i = 0; ok && i < count; ++i) {
    reference_case c;
    ok = read_case(f, &c);
    if (!ok) break;
    char name[1100];
    snprintf(name, sizeof name, "same bits as the Linux build: %s", c.name);
    matches_the_linux_build(&c);
    report(name);
    free_case(&c);
  }
  if (f != NULL) fclose(f);
  return ok;
}

int main(int argc, char **argv) {
  if (argc != 3) {
    printf("usage: %s MODULE REFERENCE_FILE\n", argv[0]);
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  FARPROC entry = module ? GetProcAddress(module, "mexFunction") : NULL;
  expect(entry != NULL, "the module loads and exports mexFunction");
  report("the module loads");
  if (entry == NULL) return 1;
  gateway = (ih_gateway)(void (*)(void))entry;

  run("libmx's bool results carry dirty upper bits", bool_results_are_dirty);
  run("typical call", typical_call);
  run("wrong counts raise the usage message", wrong_counts_raise_the_usage_message);
  run("single, int8, logical, char, struct and sparse refused", refuses_other_classes_and_sparse);
  run("complex arguments: their real part", complex_arguments_use_their_real_part);
  expect(run_reference_cases(argv[2]), "the reference cases file read whole");
  report(argv[2]);
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
