/* The independent host's checks of plorvent_core: the typical call, the usage message, the
 * refusal of other classes and of sparse arrays, the real part of complex arguments, and every
 * result of the Linux build's reference cases file bit for bit. */
#define __USE_MINGW_ANSI_STDIO 1 /* C99 formats (%zu) */
#include <stdlib.h>
#include <string.h>

#include "independent_harness.h"

static ih_array *row(const double *values, size_t n) {
  ih_array *a = ih_new_array(IH_DOUBLE, 1, n, 0, 0);
  if (n > 0) memcpy(ih_real(a), values, n * sizeof *values);
  return a;
}

static void expect_column(outcome *out, const double *expected, size_t n) {
  if (out->raised) printf("    raised %s: %s\n", out->id, out->message);
  expect(!out->raised && out->class_id == IH_DOUBLE && out->rows == n && out->cols == 1,
         "an n-by-1 double result");
  if (!out->raised && out->rows == n) {
    const size_t at = first_difference(out->data, expected, n, sizeof(double));
    if (at < n) printf("    first different output: %zu of %zu\n", at, n);
    expect(at == n, "the expected bits");
  }
  free_outcome(out);
}

static const double kSignal[] = {3, 1, 2, 5, 4};
static const double kMedians[] = {1, 2, 2, 4, 4}; /* of kSignal, W2 = 1, zero extensions */

static void typical_args(ih_array **args) {
  args[0] = row(kSignal, 5);
  args[1] = scalar(0);
  args[2] = scalar(0);
  args[3] = scalar(1);
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
    free_outcome(&out);
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
    free_outcome(&out);
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
  c->x = read_elements(f, c->n, sizeof(double));
  c->xic = c->x ? read_elements(f, c->nic, sizeof(double)) : NULL;
  c->xfc = c->xic ? read_elements(f, c->nfc, sizeof(double)) : NULL;
  c->expected = c->xfc ? read_elements(f, c->n, sizeof(double)) : NULL;
  if (c->expected == NULL) free_case(c);
  return c->expected != NULL;
}

static void matches_the_linux_build(const reference_case *c) {
  ih_array *args[4] = {row(c->x, c->n), row(c->xic, c->nic), row(c->xfc, c->nfc), scalar(c->W2)};
  outcome out = call_module(1, 4, args);
  expect_column(&out, c->expected, c->n);
}

static int replay_case(FILE *f, char *name, size_t name_size) {
  reference_case c;
  if (!read_case(f, &c)) return 0;
  snprintf(name, name_size, "%s", c.name);
  matches_the_linux_build(&c);
  free_case(&c);
  return 1;
}

int run_core_checks(const char *reference_file) {
  run("typical call", typical_call);
  run("wrong counts raise the usage message", wrong_counts_raise_the_usage_message);
  run("single, int8, logical, char, struct and sparse refused", refuses_other_classes_and_sparse);
  run("complex arguments: their real part", complex_arguments_use_their_real_part);
  return replay_reference_file(reference_file, "PLVREF01", replay_case);
}
