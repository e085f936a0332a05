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

/* The entry every extension module exports. */
void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

/* Report an error to the host; neither returns to the caller. */
STANDIN_MEX_API void mexErrMsgTxt(const char *message);
STANDIN_MEX_API void mexErrMsgIdAndTxt(const char *id, const char *format, ...);

#ifdef __cplusplus
}
#endif

#endif
