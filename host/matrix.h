/* Stand-in of the host's array interface (libmx): the subset this project uses, declared with
 * the host's published names and signatures so that module sources build unchanged against it,
 * against GNU Octave's headers, and against the host's own headers. */
#ifndef PLORVENT_STANDIN_MATRIX_H
#define PLORVENT_STANDIN_MATRIX_H

#include <stddef.h>

#if defined(_WIN32) && defined(STANDIN_BUILDING_LIBMX)
#define STANDIN_MX_API __declspec(dllexport)
#else
#define STANDIN_MX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mxArray_tag mxArray;
typedef size_t mwSize;

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
 * does not return. */
STANDIN_MX_API void *mxCalloc(size_t n, size_t size);
STANDIN_MX_API void mxFree(void *ptr);

/* The host's NaN value. */
STANDIN_MX_API double mxGetNaN(void);

/* Array queries. */
STANDIN_MX_API size_t mxGetM(const mxArray *a);
STANDIN_MX_API size_t mxGetN(const mxArray *a);
STANDIN_MX_API size_t mxGetNumberOfElements(const mxArray *a);
STANDIN_MX_API mwSize mxGetNumberOfDimensions(const mxArray *a);
STANDIN_MX_API const mwSize *mxGetDimensions(const mxArray *a);
STANDIN_MX_API mxClassID mxGetClassID(const mxArray *a);
STANDIN_MX_API int mxIsDouble(const mxArray *a);
STANDIN_MX_API int mxIsComplex(const mxArray *a);
STANDIN_MX_API int mxIsSparse(const mxArray *a);
STANDIN_MX_API double *mxGetPr(const mxArray *a);
STANDIN_MX_API double *mxGetPi(const mxArray *a);
STANDIN_MX_API void *mxGetData(const mxArray *a);

/* Array creation. With 32-bit-compatible dimensions the host maps mxCreateDoubleMatrix to its
 * `_700` entry, which takes int dimensions. */
#define mxCreateDoubleMatrix mxCreateDoubleMatrix_700
STANDIN_MX_API mxArray *mxCreateDoubleMatrix_700(int m, int n, mxComplexity complexity);
STANDIN_MX_API mxArray *mxCreateNumericArray(mwSize ndim, const mwSize *dims, mxClassID cls,
                                             mxComplexity complexity);
STANDIN_MX_API mxArray *mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity complexity);
STANDIN_MX_API mxArray *mxCreateString(const char *text);
STANDIN_MX_API mxArray *mxCreateCellMatrix(mwSize m, mwSize n);
STANDIN_MX_API mxArray *mxCreateStructMatrix(mwSize m, mwSize n, int nfields, const char **names);
STANDIN_MX_API void mxDestroyArray(mxArray *a);

/* Change the shape without touching the data, as the host's own do. */
STANDIN_MX_API void mxSetM(mxArray *a, mwSize m);
STANDIN_MX_API void mxSetN(mxArray *a, mwSize n);

#ifdef __cplusplus
}
#endif

#endif
