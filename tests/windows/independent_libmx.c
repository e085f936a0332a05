/* The independent test host's libmx.dll: arrays, the allocator, and the entries a
 * 32-bit-compatible module imports, each with the host's published type. Each bool result comes
 * back as the host's library may return it: 0 or 1 in the low byte of EAX and, in bits 8-31,
 * whatever the callee left there (here deliberately nonzero, and different from call to call). A
 * module declaring those entries as returning int reads the garbage as part of the value. */
#define INDEPENDENT_BUILDING_LIBMX
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "independent_host.h"

struct ih_array {
  int class_id;
  int complex_flag;
  int sparse_flag;
  int ndim;
  size_t dims[IH_MOST_DIMS];
  int dims_700[IH_MOST_DIMS]; /* the same sizes, as the `_700` entries return them */
  void *real, *imag;
};

static long live_arrays;
static long live_blocks;

size_t ih_element_size(int class_id) {
  switch (class_id) {
    case IH_DOUBLE:
    case IH_INT64:
    case IH_UINT64:
      return 8;
    case IH_SINGLE:
    case IH_INT32:
    case IH_UINT32:
      return 4;
    case IH_CHAR:
    case IH_INT16:
    case IH_UINT16:
      return 2;
    case IH_INT8:
    case IH_UINT8:
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

static void fail(const char *what) {
  fprintf(stderr, "independent libmx: %s\n", what);
  abort();
}

static void *zeroed(size_t count, size_t size) {
  void *p = calloc(count ? count : 1, size);
  if (p == NULL) fail("out of memory");
  return p;
}

ih_array *ih_new_nd_array(int class_id, int ndim, const size_t *dims, int complex_flag,
                          int sparse_flag) {
  if (ndim < 0 || ndim > IH_MOST_DIMS) fail("too many dimensions");
  ih_array *a = zeroed(1, sizeof *a);
  a->class_id = class_id;
  a->complex_flag = complex_flag;
  a->sparse_flag = sparse_flag;
  a->ndim = ndim < 2 ? 2 : ndim;
  for (int d = 0; d < a->ndim; ++d) a->dims[d] = d < ndim ? dims[d] : 1;
  while (a->ndim > 2 && a->dims[a->ndim - 1] == 1) --a->ndim;
  for (int d = 0; d < a->ndim; ++d) {
    if (a->dims[d] > INT_MAX) fail("a size beyond what the `_700` entries return");
    a->dims_700[d] = (int)a->dims[d];
  }
  const size_t size = ih_element_size(class_id);
  const size_t count = sparse_flag ? 1 : ih_count(a);
  a->real = size ? zeroed(count, size) : NULL;
  a->imag = size && complex_flag ? zeroed(count, size) : NULL;
  ++live_arrays;
  return a;
}

ih_array *ih_new_array(int class_id, size_t rows, size_t cols, int complex_flag, int sparse_flag) {
  const size_t dims[2] = {rows, cols};
  return ih_new_nd_array(class_id, 2, dims, complex_flag, sparse_flag);
}

void ih_delete_array(ih_array *a) {
  if (a == NULL) return;
  free(a->real);
  free(a->imag);
  free(a);
  --live_arrays;
}

int ih_class(const ih_array *a) {
  return a->class_id;
}
int ih_ndims(const ih_array *a) {
  return a->ndim;
}
size_t ih_dim(const ih_array *a, int d) {
  return d < a->ndim ? a->dims[d] : 1;
}
size_t ih_count(const ih_array *a) {
  size_t n = 1;
  for (int d = 0; d < a->ndim; ++d) n *= a->dims[d];
  return n;
}
void *ih_data(ih_array *a) {
  return a->real;
}
size_t ih_data_bytes(const ih_array *a) {
  return a->real == NULL ? 0 : (a->sparse_flag ? 1 : ih_count(a)) * ih_element_size(a->class_id);
}
double *ih_real(ih_array *a) {
  return a->real;
}
double *ih_imag(ih_array *a) {
  return a->imag;
}
size_t ih_rows(const ih_array *a) {
  return a->dims[0];
}
size_t ih_cols(const ih_array *a) {
  size_t n = 1;
  for (int d = 1; d < a->ndim; ++d) n *= a->dims[d];
  return n;
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

/* mxClassID mxGetClassID(const mxArray *pm). */
IH_MX_API int mxGetClassID(const ih_array *a) {
  return a->class_id;
}

/* size_t mxGetM, mxGetN, mxGetNumberOfElements(const mxArray *pm); mxGetN folds every
 * dimension past the first into columns. */
IH_MX_API size_t mxGetM(const ih_array *a) {
  return ih_rows(a);
}
IH_MX_API size_t mxGetN(const ih_array *a) {
  return ih_cols(a);
}
IH_MX_API size_t mxGetNumberOfElements(const ih_array *a) {
  return ih_count(a);
}

/* As 32-bit-compatible modules call them: int mxGetNumberOfDimensions_700(const mxArray *pm)
 * and const int *mxGetDimensions_700(const mxArray *pm). */
IH_MX_API int mxGetNumberOfDimensions_700(const ih_array *a) {
  return a->ndim;
}
IH_MX_API const int *mxGetDimensions_700(const ih_array *a) {
  return a->dims_700;
}

/* double *mxGetPr(const mxArray *pm) and void *mxGetData(const mxArray *pm). */
IH_MX_API double *mxGetPr(const ih_array *a) {
  return a->real;
}
IH_MX_API void *mxGetData(const ih_array *a) {
  return a->real;
}

/* double mxGetNaN(void): this host's NaN, whose bits a module must pass on unchanged. */
IH_MX_API double mxGetNaN(void) {
  const unsigned long long bits = IH_NAN_BITS;
  double nan;
  memcpy(&nan, &bits, sizeof nan);
  return nan;
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

/* The creators as 32-bit-compatible modules call them:
 * mxArray *mxCreateDoubleMatrix_700(int m, int n, mxComplexity ComplexFlag) and
 * mxArray *mxCreateNumericArray_700(int ndim, const int *dims, mxClassID classid,
 *                                   mxComplexity ComplexFlag). */
IH_MX_API ih_array *mxCreateDoubleMatrix_700(int m, int n, int complex_flag) {
  if (m < 0 || n < 0) {
    fprintf(stderr, "independent libmx: mxCreateDoubleMatrix_700(%d, %d)\n", m, n);
    abort();
  }
  return ih_new_array(IH_DOUBLE, (size_t)m, (size_t)n, complex_flag, 0);
}

/* An N-d array of dims given as a 32-bit-compatible module gives them. */
static ih_array *new_array_of_dims(const char *entry, int ndim, const int *dims, int class_id,
                                   int complex_flag) {
  size_t sizes[IH_MOST_DIMS];
  if (ndim < 0 || ndim > IH_MOST_DIMS) fail(entry);
  for (int d = 0; d < ndim; ++d) {
    if (dims[d] < 0) fail(entry);
    sizes[d] = (size_t)dims[d];
  }
  return ih_new_nd_array(class_id, ndim, sizes, complex_flag, 0);
}

IH_MX_API ih_array *mxCreateNumericArray_700(int ndim, const int *dims, int class_id,
                                             int complex_flag) {
  if (ih_element_size(class_id) == 0 || class_id == IH_CHAR || class_id == IH_LOGICAL) {
    fail(
        "mxCreateNumericArray_700 of a class that is not numeric (logical arrays come from "
        "mxCreateLogicalArray_700)");
  }
  return new_array_of_dims("mxCreateNumericArray_700 with a bad ndim or size", ndim, dims, class_id,
                           complex_flag);
}

/* mxArray *mxCreateLogicalArray_700(int ndim, const int *dims). */
IH_MX_API ih_array *mxCreateLogicalArray_700(int ndim, const int *dims) {
  return new_array_of_dims("mxCreateLogicalArray_700 with a bad ndim or size", ndim, dims,
                           IH_LOGICAL, 0);
}
