/* Stand-in of the host's array interface (libmx): the subset this project's modules use, declared
 * exactly as the host publishes it (return types, argument types and parameter names), so that
 * module sources build unchanged against it, against GNU Octave's headers and against the host's
 * own, and so that a module built against it calls the host's entries as the host defines them.
 *
 * Array sizes come in the host's two modes. With MX_COMPAT_32 (what `mex -compatibleArrayDims`
 * defines, the mode this project's modules are built in) mwSize and mwIndex are int, and each
 * function taking or returning them resolves to the host's `_700` entry, which uses int. Without
 * it they are size_t and those functions resolve to the `_730` entries. Functions that take or
 * return size_t whatever the mode (mxGetM, mxGetN, mxGetNumberOfElements, mxCalloc) have a single
 * unversioned entry. */
#ifndef PLORVENT_STANDIN_MATRIX_H
#define PLORVENT_STANDIN_MATRIX_H

#include <stddef.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32) && defined(STANDIN_BUILDING_LIBMX)
#define STANDIN_MX_API __declspec(dllexport)
#else
#define STANDIN_MX_API
#endif

#ifdef MX_COMPAT_32
typedef int mwSize;
typedef int mwIndex;
#define mxGetNumberOfDimensions mxGetNumberOfDimensions_700
#define mxGetDimensions mxGetDimensions_700
#define mxCreateDoubleMatrix mxCreateDoubleMatrix_700
#define mxCreateNumericArray mxCreateNumericArray_700
#define mxCreateLogicalArray mxCreateLogicalArray_700
#define mxCreateSparse mxCreateSparse_700
#define mxCreateCellMatrix mxCreateCellMatrix_700
#define mxCreateStructMatrix mxCreateStructMatrix_700
#define mxSetM mxSetM_700
#define mxSetN mxSetN_700
#else
typedef size_t mwSize;
typedef size_t mwIndex;
#define mxGetNumberOfDimensions mxGetNumberOfDimensions_730
#define mxGetDimensions mxGetDimensions_730
#define mxCreateDoubleMatrix mxCreateDoubleMatrix_730
#define mxCreateNumericArray mxCreateNumericArray_730
#define mxCreateLogicalArray mxCreateLogicalArray_730
#define mxCreateSparse mxCreateSparse_730
#define mxCreateCellMatrix mxCreateCellMatrix_730
#define mxCreateStructMatrix mxCreateStructMatrix_730
#define mxSetM mxSetM_730
#define mxSetN mxSetN_730
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mxArray_tag mxArray;

// A character of a char array, as the host stores it.
typedef unsigned short mxChar;

typedef enum {
  mxUNKNOWN_CLASS = 0,
  mxCELL_CLASS,
  mxSTRUCT_CLASS,
  mxLOGICAL_CLASS,
  mxCHAR_CLASS,
  mxVOID_CLASS,
  mxDOUBLE_CLASS,
  mxSINGLE_CLASS,
  mxINT8_CLASS,
  mxUINT8_CLASS,
  mxINT16_CLASS,
  mxUINT16_CLASS,
  mxINT32_CLASS,
  mxUINT32_CLASS,
  mxINT64_CLASS,
  mxUINT64_CLASS,
  mxFUNCTION_CLASS
} mxClassID;

typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

/* Host memory: zero-filled; an allocation that cannot be served raises the host's error and
 * does not return. The host documents mxCalloc with mwSize arguments, but declares and exports
 * it with size_t in both modes (it has no `_700` entry), as GNU Octave does: size_t is what the
 * one entry reads, so size_t is what a caller must pass. Mirrors mxCalloc and mxFree. */
STANDIN_MX_API void *mxCalloc(size_t n, size_t size);
STANDIN_MX_API void mxFree(void *ptr);

/* The host's NaN: mxGetNaN (double mxGetNaN(void)), the bits the host's own NaN has. */
STANDIN_MX_API double mxGetNaN(void);

/* Sizes: mxGetM, mxGetN and mxGetNumberOfElements return size_t in both modes;
 * mxGetNumberOfDimensions and mxGetDimensions return mwSize (the `_700` entries int). */
STANDIN_MX_API size_t mxGetM(const mxArray *pm);
STANDIN_MX_API size_t mxGetN(const mxArray *pm);
STANDIN_MX_API size_t mxGetNumberOfElements(const mxArray *pm);
STANDIN_MX_API mwSize mxGetNumberOfDimensions(const mxArray *pm);
STANDIN_MX_API const mwSize *mxGetDimensions(const mxArray *pm);

/* Class and storage: mxGetClassID, and the predicates mxIsDouble, mxIsComplex and mxIsSparse,
 * which return bool. A bool result is the low byte of the return register only; whatever the
 * callee leaves in the bits above it is not part of the value. */
STANDIN_MX_API mxClassID mxGetClassID(const mxArray *pm);
STANDIN_MX_API bool mxIsDouble(const mxArray *pm);
STANDIN_MX_API bool mxIsComplex(const mxArray *pm);
STANDIN_MX_API bool mxIsSparse(const mxArray *pm);

/* Data: mxGetPr, mxGetPi (separate real and imaginary parts) and mxGetData. */
STANDIN_MX_API double *mxGetPr(const mxArray *pm);
STANDIN_MX_API double *mxGetPi(const mxArray *pm);
STANDIN_MX_API void *mxGetData(const mxArray *pm);

/* Creation: mxCreateDoubleMatrix, mxCreateNumericArray, mxCreateLogicalArray, mxCreateSparse,
 * mxCreateCellMatrix and mxCreateStructMatrix take mwSize (their `_700` entries int);
 * mxCreateString and mxDestroyArray have one entry. Logical arrays are made by
 * mxCreateLogicalArray, not by mxCreateNumericArray. */
STANDIN_MX_API mxArray *mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity ComplexFlag);
STANDIN_MX_API mxArray *mxCreateNumericArray(mwSize ndim, const mwSize *dims, mxClassID classid,
                                             mxComplexity ComplexFlag);
STANDIN_MX_API mxArray *mxCreateLogicalArray(mwSize ndim, const mwSize *dims);
STANDIN_MX_API mxArray *mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity ComplexFlag);
STANDIN_MX_API mxArray *mxCreateString(const char *str);
STANDIN_MX_API mxArray *mxCreateCellMatrix(mwSize m, mwSize n);
STANDIN_MX_API mxArray *mxCreateStructMatrix(mwSize m, mwSize n, int nfields,
                                             const char **fieldnames);
STANDIN_MX_API void mxDestroyArray(mxArray *pm);

/* Shape: mxSetM and mxSetN take mwSize (their `_700` entries int) and, as the host's own do,
 * leave the data untouched. */
STANDIN_MX_API void mxSetM(mxArray *pm, mwSize m);
STANDIN_MX_API void mxSetN(mxArray *pm, mwSize n);

#ifdef __cplusplus
}
#endif

#endif
