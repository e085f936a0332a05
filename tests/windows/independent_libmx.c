/* The independent test host's libmx.dll: arrays, the allocator, and the entries a
 * 32-bit-compatible module imports, each with the host's published type. Each bool result comes
 * back as the host's library may return it: 0 or 1 in the low byte of EAX and, in bits 8-31,
 * whatever the callee left there (here deliberately nonzero, and different from call to call). A
 * module declaring those entries as returning int reads the garbage as part of the value. */
#define INDEPENDENT_BUILDING_LIBMX
#include <stdio.h>
#include <stdlib.h>

#include "independent_host.h"

struct ih_array {
  int class_id;
  int complex_flag;
  int sparse_flag;
  size_t rows, cols;
  void *real, *imag;
};

static long live_arrays;
static long live_blocks;

static size_t element_size(int class_id) {
  switch (class_id) {
    case IH_DOUBLE:
      return 8;
    case IH_SINGLE:
      return 4;
    case IH_CHAR:
      return 2;
    case IH_INT8:
    case IH_LOGICAL:
      return 1;
    default:
      return 0; /* no numeric data */
  }
}

/* Returned through unsigned so that the bits above the bool's byte really reach the caller. */
static unsigned dirty_bool(int value) {
  static unsigned state = 0x2545F491u;
  state = state * 1103515245u + 12345u;
  return ((state | 0x100u) & 0xFFFFFF00u) | (value != 0);
}

static void *zeroed(size_t count, size_t size) {
  void *p = calloc(count ? count : 1, size);
  if (p == NULL) {
    fprintf(stderr, "independent libmx: out of memory\n");
    abort();
  }
  return p;
}

ih_array *ih_new_array(int class_id, size_t rows, size_t cols, int complex_flag, int sparse_flag) {
  ih_array *a = zeroed(1, sizeof *a);
  const size_t size = element_size(class_id);
  const size_t count = sparse_flag ? 1 : rows * cols;
  a->class_id = class_id;
  a->complex_flag = complex_flag;
  a->sparse_flag = sparse_flag;
  a->rows = rows;
  a->cols = cols;
  a->real = size ? zeroed(count, size) : NULL;
  a->imag = size && complex_flag ? zeroed(count, size) : NULL;
  ++live_arrays;
  return a;
}

void ih_delete_array(ih_array *a) {
  if (a == NULL) return;
  free(a->real);
  free(a->imag);
  free(a);
  --live_arrays;
}

double *ih_real(ih_array *a) {
  return a->real;
}
double *ih_imag(ih_array *a) {
  return a->imag;
}
size_t ih_rows(const ih_array *a) {
  return a->rows;
}
size_t ih_cols(const ih_array *a) {
  return a->cols;
}
long ih_live_arrays(void) {
  return live_arrays;
}
long ih_live_blocks(void) {
  return live_blocks;
}

/* bool mxIsDouble(const mxArray *pm), and likewise mxIsComplex and mxIsSparse. */
IH_MX_API unsigned mxIsDouble(const ih_array *a) {
  return dirty_bool(a->class_id == IH_DOUBLE);
}
IH_MX_API unsigned mxIsComplex(const ih_array *a) {
  return dirty_bool(a->complex_flag);
}
IH_MX_API unsigned mxIsSparse(const ih_array *a) {
  return dirty_bool(a->sparse_flag);
}

/* size_t mxGetM, mxGetN, mxGetNumberOfElements(const mxArray *pm). */
IH_MX_API size_t mxGetM(const ih_array *a) {
  return a->rows;
}
IH_MX_API size_t mxGetN(const ih_array *a) {
  return a->cols;
}
IH_MX_API size_t mxGetNumberOfElements(const ih_array *a) {
  return a->rows * a->cols;
}

/* double *mxGetPr(const mxArray *pm). */
IH_MX_API double *mxGetPr(const ih_array *a) {
  return a->real;
}

/* void *mxCalloc(size_t n, size_t size) and void mxFree(void *ptr). */
IH_MX_API void *mxCalloc(size_t n, size_t size) {
  void *p = zeroed(n ? n : 1, size ? size : 1);
  ++live_blocks;
  return p;
}

IH_MX_API void mxFree(void *ptr) {
  if (ptr == NULL) return;
  free(ptr);
  --live_blocks;
}

/* mxCreateDoubleMatrix as 32-bit-compatible modules call it:
 * mxArray *mxCreateDoubleMatrix_700(int m, int n, mxComplexity ComplexFlag). */
IH_MX_API ih_array *mxCreateDoubleMatrix_700(int m, int n, int complex_flag) {
  if (m < 0 || n < 0) {
    fprintf(stderr, "independent libmx: mxCreateDoubleMatrix_700(%d, %d)\n", m, n);
    abort();
  }
  return ih_new_array(IH_DOUBLE, (size_t)m, (size_t)n, complex_flag, 0);
}
