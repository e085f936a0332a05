/* Stand-in of the host's extension interface (libmex): the gateway entry and the error calls. */
#ifndef PLORVENT_STANDIN_MEX_H
#define PLORVENT_STANDIN_MEX_H

#include "matrix.h"

#if defined(_WIN32) && defined(STANDIN_BUILDING_LIBMEX)
#define STANDIN_MEX_API __declspec(dllexport)
#else
#define STANDIN_MEX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The entry every extension module exports: mexFunction, as published. */
void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

/* Report an error to the host; neither returns to the caller (the host leaves the module's frames
 * by a native unwind, the stand-in by longjmp). Mirror mexErrMsgTxt and mexErrMsgIdAndTxt. */
STANDIN_MEX_API void mexErrMsgTxt(const char *errormsg);
STANDIN_MEX_API void mexErrMsgIdAndTxt(const char *errorid, const char *errormsg, ...);

#ifdef __cplusplus
}
#endif

#endif
