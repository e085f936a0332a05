// Stand-in libmex: the error calls, which never return, and the host's way of calling a gateway.
#define STANDIN_BUILDING_LIBMEX
#include <csetjmp>
#include <cstdarg>
#include <cstdio>

#include "standin_host.h"

extern "C" {

void mexErrMsgTxt(const char *message) {
  standin_raise("", message);
}

void mexErrMsgIdAndTxt(const char *id, const char *format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  standin_raise(id, message);
}

int standin_call(standin_gateway gateway, int nlhs, mxArray *plhs[], int nrhs,
                 const mxArray *prhs[]) {
  // volatile: the value must survive the longjmp back into this frame.
  static std::jmp_buf target;
  volatile int raised = 0;
  standin_set_error_target(&target);
  if (setjmp(target) == 0) {
    gateway(nlhs, plhs, nrhs, prhs);
  } else {
    raised = 1;
  }
  standin_set_error_target(nullptr);
  return raised;
}

}  // extern "C"
