/* What a test host needs from the stand-in besides the host's own interface: running a gateway
 * as the host does, reading the error it raised, and the live-resource accounting. */
#ifndef PLORVENT_STANDIN_HOST_H
#define PLORVENT_STANDIN_HOST_H

#include "mex.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*standin_gateway)(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

/* Calls the gateway; returns 0 when it returned normally and 1 when it raised an error, in
 * which case nothing of the gateway ran after the error call. */
STANDIN_MEX_API int standin_call(standin_gateway gateway, int nlhs, mxArray *plhs[], int nrhs,
                                 const mxArray *prhs[]);

/* Blocks from mxCalloc not yet given back with mxFree, and arrays not yet destroyed. */
STANDIN_MX_API long standin_live_allocations(void);
/* Every mxCalloc served since the process started. */
STANDIN_MX_API long standin_allocations_made(void);
STANDIN_MX_API long standin_live_arrays(void);

/* The error machinery, shared by libmx (a failed allocation) and libmex (the error calls):
 * records the error and jumps back into the active standin_call. */
STANDIN_MX_API void standin_raise(const char *id, const char *message);
STANDIN_MX_API void standin_set_error_target(void *jump_buffer);
STANDIN_MX_API const char *standin_last_error_id(void);
STANDIN_MX_API const char *standin_last_error_message(void);

#ifdef __cplusplus
}
#endif

#endif
