/* The independent test host's own interface between its program (independent_host.c) and its
 * libmx.dll and libmex.dll: what the program needs beyond the entries a module imports. Written
 * apart from the project's stand-in host and sharing none of its headers, so that a declaration
 * mistaken there is not repeated here. */
#ifndef INDEPENDENT_HOST_H
#define INDEPENDENT_HOST_H

#include <stddef.h>

#ifdef INDEPENDENT_BUILDING_LIBMX
#define IH_MX_API __declspec(dllexport)
#else
#define IH_MX_API __declspec(dllimport)
#endif
#ifdef INDEPENDENT_BUILDING_LIBMEX
#define IH_MEX_API __declspec(dllexport)
#else
#define IH_MEX_API __declspec(dllimport)
#endif

typedef struct ih_array ih_array;
typedef void (*ih_gateway)(int nlhs, ih_array **plhs, int nrhs, const ih_array **prhs);

/* Class numbers as the host numbers them. */
enum {
  IH_CELL = 1,
  IH_STRUCT = 2,
  IH_LOGICAL = 3,
  IH_CHAR = 4,
  IH_DOUBLE = 6,
  IH_SINGLE = 7,
  IH_INT8 = 8,
  IH_UINT8 = 9,
  IH_INT16 = 10,
  IH_UINT16 = 11,
  IH_INT32 = 12,
  IH_UINT32 = 13,
  IH_INT64 = 14,
  IH_UINT64 = 15
};

/* The bits of libmx's mxGetNaN: the sign set, unlike the quiet NaN C compilers make. */
#define IH_NAN_BITS 0xFFF8000000000000ull

/* The most dimensions an array has here. */
#define IH_MOST_DIMS 32

/* libmx: arrays of a class and shape, zero-filled, of two dimensions at least (padded with
 * sizes of 1) and with trailing sizes of 1 past the second dropped, as the host does; a cell or
 * struct array holds no data, a sparse one the storage of a single element. */
IH_MX_API ih_array *ih_new_nd_array(int class_id, int ndim, const size_t *dims, int complex_flag,
                                    int sparse_flag);
IH_MX_API ih_array *ih_new_array(int class_id, size_t rows, size_t cols, int complex_flag,
                                 int sparse_flag);
IH_MX_API void ih_delete_array(ih_array *a);
/* Bytes per element of a class; 0 for a class without numeric data. */
IH_MX_API size_t ih_element_size(int class_id);
IH_MX_API int ih_class(const ih_array *a);
IH_MX_API int ih_ndims(const ih_array *a);
IH_MX_API size_t ih_dim(const ih_array *a, int d);
IH_MX_API size_t ih_count(const ih_array *a);
/* The real data (NULL for none) and its size in bytes. */
IH_MX_API void *ih_data(ih_array *a);
IH_MX_API size_t ih_data_bytes(const ih_array *a);
IH_MX_API double *ih_real(ih_array *a);
IH_MX_API double *ih_imag(ih_array *a);
IH_MX_API size_t ih_rows(const ih_array *a);
IH_MX_API size_t ih_cols(const ih_array *a);
IH_MX_API long ih_live_arrays(void);
/* Blocks from mxCalloc not given back with mxFree. */
IH_MX_API long ih_live_blocks(void);
/* mxIsDouble as libmx defines it: the bool in the low byte, deliberately dirty bits above. */
IH_MX_API unsigned mxIsDouble(const ih_array *a);

/* libmex: calls a gateway as the host does; returns 0 when it returned and 1 when it raised an
 * error, whose identifier and message are then the last ones. */
IH_MEX_API int ih_call(ih_gateway gateway, int nlhs, ih_array **plhs, int nrhs,
                       const ih_array **prhs);
IH_MEX_API const char *ih_error_id(void);
IH_MEX_API const char *ih_error_message(void);

#endif
