/* The independent test host's libmex.dll: the error calls and the host's way of calling a
 * gateway. An error call never returns: it leaves through msvcrt's longjmp, which on x64, given
 * the frame that setjmp recorded, unwinds every frame in between natively (RtlUnwindEx, calling
 * each frame's unwind handler) before resuming in ih_call, as the host's own error does. */
#define __USE_MINGW_ANSI_STDIO 1 /* C99 formats (%llu, %zu) in the modules' messages */
#define INDEPENDENT_BUILDING_LIBMEX
#include <setjmp.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "independent_host.h"

static jmp_buf *error_target;
static char last_id[256];
static char last_message[1024];

static void raise_error(const char *id, const char *message) {
  snprintf(last_id, sizeof last_id, "%s", id);
  snprintf(last_message, sizeof last_message, "%s", message);
  if (error_target == NULL) {
    fprintf(stderr, "independent libmex: error outside a call: %s\n", last_message);
    abort();
  }
  longjmp(*error_target, 1);
}

/* void mexErrMsgTxt(const char *errormsg). */
IH_MEX_API void mexErrMsgTxt(const char *errormsg) {
  raise_error("", errormsg);
}

/* void mexErrMsgIdAndTxt(const char *errorid, const char *errormsg, ...). */
IH_MEX_API void mexErrMsgIdAndTxt(const char *errorid, const char *errormsg, ...) {
  char message[1024];
  va_list args;
  va_start(args, errormsg);
  vsnprintf(message, sizeof message, errormsg, args);
  va_end(args);
  raise_error(errorid, message);
}

int ih_call(ih_gateway gateway, int nlhs, ih_array **plhs, int nrhs, const ih_array **prhs) {
  jmp_buf target;
  error_target = &target;
  if (setjmp(target) != 0) {
    error_target = NULL;
    return 1;
  }
  gateway(nlhs, plhs, nrhs, prhs);
  error_target = NULL;
  return 0;
}

const char *ih_error_id(void) {
  return last_id;
}
const char *ih_error_message(void) {
  return last_message;
}
