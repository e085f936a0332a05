/* What the independent test host's checks share: calling the module as the host does, the
 * verdicts, and reading the Linux build's reference files. Defined in independent_host.c. */
#ifndef INDEPENDENT_HARNESS_H
#define INDEPENDENT_HARNESS_H

#include <stdint.h>
#include <stdio.h>

#include "independent_host.h"

/* What one call gave: the error raised, or the result array's class, shape and data. */
typedef struct {
  int raised;
  char id[256];
  char message[1024];
  int class_id;
  int ndim;
  size_t dims[IH_MOST_DIMS];
  size_t rows, cols; /* dims[0], and the rest folded */
  void *data;        /* the result's data, owned by the outcome (free_outcome) */
  size_t data_bytes;
} outcome;

/* Records a failure of the running check when ok is 0. */
void expect(int ok, const char *what);

/* One call as the host makes it; destroys the arguments. Afterwards no mxCalloc block may be
 * held, exactly one array (the result) may have been created, none after an error, and no
 * argument's data may have changed. */
outcome call_module(int nlhs, int nrhs, ih_array **args);
void free_outcome(outcome *out);

/* Index of the first of n elements of `size` bytes whose bits differ; n when none does. */
size_t first_difference(const void *got, const void *expected, size_t n, size_t size);

/* Runs a check and reports it as one verdict; report alone closes a check run in place. */
void run(const char *name, void (*check)(void));
void report(const char *name);

ih_array *scalar(double value);

/* Reference files: a uint64, and `count` elements of `size` bytes (NULL when there are more
 * than a file of this project holds, or fewer in the file; free() the result). */
int read_u64(FILE *f, uint64_t *v);
void *read_elements(FILE *f, uint64_t count, size_t size);

/* Reads the next case of a reference file and checks the module against it, naming the case;
 * false when the case cannot be read. */
typedef int (*case_replay)(FILE *f, char *name, size_t name_size);

/* A reference file (its 8-byte magic, a uint64 case count, the cases) replayed case by case,
 * each one verdict; false when it is missing, of another format or cut short. */
int replay_reference_file(const char *path, const char *magic, case_replay replay);

/* The checks of each module; false when its reference file could not be read whole. */
int run_core_checks(const char *reference_file);
int run_filter_checks(const char *reference_file);

#endif
