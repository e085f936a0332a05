// plorvent_filter as a MEX module (MATLAB, Windows, and any host of the MEX interface): the host's
// adapter for the shared gateway (gateway/filter_host.h). The arguments are shown to it in place;
// its results are the host's arrays. Everything this adapter allocates comes from the host's
// allocator, which the host releases itself when an error leaves the module.
#include <cstdlib>

#include "core/jobs/sample_types.h"
#include "gateway/filter_host.h"
#include "gateway/host_interruption.h"
#include "mex.h"

struct HostResults {
  mxArray **plhs;
};

namespace {

// The classes an argument of samples may have, and how the core sees each.
bool sample_type_of(mxClassID id, SampleType *type) {
  switch (id) {
#define PLORVENT_HOST_CLASS_CASE(name, element, host) \
  case mx##host##_CLASS:                              \
    *type = name;                                     \
    return true;
    PLORVENT_SAMPLE_TYPES(PLORVENT_HOST_CLASS_CASE)
#undef PLORVENT_HOST_CLASS_CASE
    default:
      return false;
  }
}

mxClassID class_of(SampleType type) {
  switch (type) {
#define PLORVENT_HOST_CLASS_CASE(name, element, host) \
  case name:                                          \
    return mx##host##_CLASS;
    PLORVENT_SAMPLE_TYPES(PLORVENT_HOST_CLASS_CASE)
#undef PLORVENT_HOST_CLASS_CASE
  }
  return mxDOUBLE_CLASS;
}

// How the gateway sees `a`, in place.
void describe(const mxArray *a, HostArgument *view) {
  view->samples = sample_type_of(mxGetClassID(a), &view->type);
  view->characters = mxGetClassID(a) == mxCHAR_CLASS;
  view->char_bytes = static_cast<int32_t>(sizeof(mxChar));
  view->complex = mxIsComplex(a);
  view->sparse = mxIsSparse(a);
  view->count = static_cast<int64_t>(mxGetNumberOfElements(a));
  view->data = mxIsDouble(a) ? mxGetPr(a) : mxGetData(a);
  view->ndim = static_cast<int64_t>(mxGetNumberOfDimensions(a));
  view->dims = mxGetDimensions(a);
  view->dim_bytes = static_cast<int32_t>(sizeof(mwSize));
}

}  // namespace

void raise_host_message(const char *id, const char *message) {
  mexErrMsgIdAndTxt(id, "%s", message);
  std::abort();  // not reached: the host's error call does not return
}

// An array of like's size, `length` long along dimension dim, of class `type`; logical ones have
// a creator of their own.
void *new_host_result(HostResults *results, int32_t index, const HostArgument *like, double dim,
                      int64_t length, SampleType type) {
  const mwSize ndim = static_cast<mwSize>(like->ndim);
  // Released by the host on an error.
  mwSize *dims = static_cast<mwSize *>(mxCalloc(ndim, sizeof(mwSize)));
  for (mwSize d = 0; d < ndim; ++d) dims[d] = static_cast<mwSize>(host_size(like, d));
  if (dim <= static_cast<double>(ndim)) dims[static_cast<int64_t>(dim) - 1] = mwSize(length);
  mxArray *result = type == kLogicalSamples
                        ? mxCreateLogicalArray(ndim, dims)
                        : mxCreateNumericArray(ndim, dims, class_of(type), mxREAL);
  mxFree(dims);
  results->plhs[index] = result;
  return mxGetData(result);
}

double host_nan() {
  return mxGetNaN();
}

void watch_host_interruption_during_work() {
  watch_host_interruption();
}

bool work_was_interrupted() {
  return end_host_interruption_watch();
}

// The arguments are described on the stack: an error leaves by the host's own way, with nothing
// to release.
void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  HostArgument views[kMostHostArguments];
  const HostArgument *args[kMostHostArguments];
  for (int k = 0; k < nrhs && k < kMostHostArguments; ++k) {
    describe(prhs[k], &views[k]);
    args[k] = &views[k];
  }
  HostResults results = {plhs};
  plorvent_filter_call(nlhs, nrhs, args, &results);
}
