/* A second Windows test host for the modules, written apart from the project's stand-in host: its
 * own libmx.dll returns each bool with dirty bits above the low byte of EAX, as a library built by
 * another compiler may, and its own libmex.dll leaves the module by a native unwind. It loads a
 * module, runs the checks of that module (independent_core_checks.c and
 * independent_filter_checks.c), and compares its results with the Linux build's reference file
 * bit for bit.
 * Usage: independent_host MODULE REFERENCE_FILE, the module being plorvent_core.mexw64 or
 * plorvent_filter.mexw64 (its file name says which checks run). */
#define __USE_MINGW_ANSI_STDIO 1 /* C99 formats (%zu) */
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "independent_harness.h"

/* The most arguments whose data a call checks (the modules take 9 at most). */
#define MOST_ARGUMENTS 16

static ih_gateway gateway;
static int failures_in_case;
static int passed, failed;

void expect(int ok, const char *what) {
  if (ok) return;
  ++failures_in_case;
  printf("    FAIL: %s\n", what);
}

static void *copy_bytes(const void *data, size_t bytes) {
  void *copy = malloc(bytes + 1);
  if (bytes > 0) memcpy(copy, data, bytes);
  return copy;
}

static void keep_result(ih_array *result, outcome *out) {
  out->class_id = ih_class(result);
  out->ndim = ih_ndims(result);
  for (int d = 0; d < out->ndim; ++d) out->dims[d] = ih_dim(result, d);
  out->rows = ih_rows(result);
  out->cols = ih_cols(result);
  out->data_bytes = ih_data_bytes(result);
  out->data = copy_bytes(ih_data(result), out->data_bytes);
}

outcome call_module(int nlhs, int nrhs, ih_array **args) {
  outcome out;
  memset(&out, 0, sizeof out);
  void *before[MOST_ARGUMENTS]; /* each argument's data, to be found unchanged */
  for (int i = 0; i < nrhs && i < MOST_ARGUMENTS; ++i) {
    before[i] = copy_bytes(ih_data(args[i]), ih_data_bytes(args[i]));
  }
  ih_array *plhs[2] = {NULL, NULL};
  const long arrays_before = ih_live_arrays();
  out.raised = ih_call(gateway, nlhs, plhs, nrhs, (const ih_array **)args);
  expect(ih_live_blocks() == 0, "every mxCalloc block given back");
  expect(ih_live_arrays() == arrays_before + (out.raised ? 0 : 1), "one result array or none");
  if (out.raised) {
    snprintf(out.id, sizeof out.id, "%s", ih_error_id());
    snprintf(out.message, sizeof out.message, "%s", ih_error_message());
  } else if (plhs[0] != NULL) {
    keep_result(plhs[0], &out);
  }
  for (int i = 0; i < nrhs && i < MOST_ARGUMENTS; ++i) {
    const size_t bytes = ih_data_bytes(args[i]);
    expect(bytes == 0 || memcmp(before[i], ih_data(args[i]), bytes) == 0,
           "the arguments' data unchanged");
    free(before[i]);
  }
  for (int i = 0; i < nrhs; ++i) ih_delete_array(args[i]);
  ih_delete_array(plhs[0]);
  return out;
}

void free_outcome(outcome *out) {
  free(out->data);
  out->data = NULL;
}

size_t first_difference(const void *got, const void *expected, size_t n, size_t size) {
  size_t i = 0;
  while (i < n &&
         memcmp((const char *)got + i * size, (const char *)expected + i * size, size) == 0) {
    ++i;
  }
  return i;
}

void report(const char *name) {
  if (failures_in_case == 0) {
    ++passed;
  } else {
    ++failed;
  }
  printf("%s %s\n", failures_in_case == 0 ? "PASS" : "FAIL", name);
  fflush(stdout);
  failures_in_case = 0;
}

void run(const char *name, void (*check)(void)) {
  check();
  report(name);
}

ih_array *scalar(double value) {
  ih_array *a = ih_new_array(IH_DOUBLE, 1, 1, 0, 0);
  ih_real(a)[0] = value;
  return a;
}

int read_u64(FILE *f, uint64_t *v) {
  return fread(v, sizeof *v, 1, f) == 1;
}

void *read_elements(FILE *f, uint64_t count, size_t size) {
  if (count > ((uint64_t)1 << 27)) return NULL;
  void *p = malloc((size_t)count * size + 1);
  if (p != NULL && fread(p, size, count, f) != count) {
    free(p);
    p = NULL;
  }
  return p;
}

int replay_reference_file(const char *path, const char *magic, case_replay replay) {
  FILE *f = fopen(path, "rb");
  char file_magic[8];
  uint64_t count = 0;
  int ok = f != NULL && fread(file_magic, 1, 8, f) == 8 && memcmp(file_magic, magic, 8) == 0 &&
           read_u64(f, &count) && count > 0 && count < 10000;
  for (uint64_t i = 0; ok && i < count; ++i) {
    char name[1001];
    ok = replay(f, name, sizeof name);
    if (ok) {
      char verdict[1100];
      snprintf(verdict, sizeof verdict, "same bits as the Linux build: %s", name);
      report(verdict);
    }
  }
  if (f != NULL) fclose(f);
  return ok;
}

static void bool_results_are_dirty(void) {
  ih_array *a = scalar(0);
  for (int i = 0; i < 8; ++i) {
    const unsigned value = mxIsDouble(a);
    expect((value & 0xFFu) == 1 && (value >> 8) != 0, "true in AL, nonzero bits 8-31");
  }
  ih_delete_array(a);
}

/* The module's name: its file name without folder and extension. */
static void module_name(const char *path, char *name, size_t size) {
  const char *base = path;
  for (const char *p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  snprintf(name, size, "%s", base);
  char *dot = strrchr(name, '.');
  if (dot != NULL) *dot = '\0';
}

int main(int argc, char **argv) {
  char name[260] = "";
  if (argc == 3) module_name(argv[1], name, sizeof name);
  if (strcmp(name, "plorvent_core") != 0 && strcmp(name, "plorvent_filter") != 0) {
    printf("usage: %s plorvent_core.mexw64|plorvent_filter.mexw64 REFERENCE_FILE\n", argv[0]);
    return 2;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  FARPROC entry = module ? GetProcAddress(module, "mexFunction") : NULL;
  expect(entry != NULL, "the module loads and exports mexFunction");
  report("the module loads");
  if (entry == NULL) return 1;
  gateway = (ih_gateway)(void (*)(void))entry;

  run("libmx's bool results carry dirty upper bits", bool_results_are_dirty);
  const int whole =
      strcmp(name, "plorvent_core") == 0 ? run_core_checks(argv[2]) : run_filter_checks(argv[2]);
  expect(whole, "the reference cases file read whole");
  report(argv[2]);
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
