// Host entry of plorvent_filter:
//   y = plorvent_filter(x, w, padding, fill, dim, nanmode, blocksize, threads, budget)
// the running median of every signal of x along dimension dim, in x's own class, and
//   y = plorvent_filter('moving', x, back, forward, dim, nanmode, ends, fill, times,
//                       forward_open, threads)
// the moving median over windows reaching back and forward (in samples, or in the units of
// times), clipped to the signal or padded with fill, NaN included or omitted.
//
// Checks every argument before anything is allocated, plans the job, refuses a window that
// would need more memory than the budget allows, then runs the job on worker threads into a new
// array of x's class and size. x is only read.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/engines/long_window_medians.h"
#include "core/jobs/filter_job.h"
#include "core/jobs/moving_job.h"
#include "core/jobs/worker_threads.h"
#include "mex.h"

namespace {

const char kUsage[] =
    "Usage: y = plorvent_filter(x, w, padding, fill, dim, nanmode, blocksize, threads, budget)\n"
    "   or: y = plorvent_filter('moving', x, back, forward, dim, nanmode, ends, fill, times, "
    "forward_open, threads)";

// The classes x may have, and how the core sees each.
bool sample_type_of(mxClassID id, SampleType *type) {
  switch (id) {
    case mxDOUBLE_CLASS:
      *type = kDoubleSamples;
      return true;
    case mxSINGLE_CLASS:
      *type = kSingleSamples;
      return true;
    case mxINT8_CLASS:
      *type = kInt8Samples;
      return true;
    case mxUINT8_CLASS:
      *type = kUint8Samples;
      return true;
    case mxINT16_CLASS:
      *type = kInt16Samples;
      return true;
    case mxUINT16_CLASS:
      *type = kUint16Samples;
      return true;
    case mxINT32_CLASS:
      *type = kInt32Samples;
      return true;
    case mxUINT32_CLASS:
      *type = kUint32Samples;
      return true;
    case mxINT64_CLASS:
      *type = kInt64Samples;
      return true;
    case mxUINT64_CLASS:
      *type = kUint64Samples;
      return true;
    case mxLOGICAL_CLASS:
      *type = kLogicalSamples;
      return true;
    default:
      return false;
  }
}

SampleType require_signal(const mxArray *x) {
  SampleType type = kDoubleSamples;
  if (!sample_type_of(mxGetClassID(x), &type)) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidInput",
                      "x must be a numeric or logical array; its class is not one of those.");
  }
  if (mxIsComplex(x)) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidInput",
                      "x must be real: complex samples have no order for a median.");
  }
  if (mxIsSparse(x)) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidInput", "x must be a full array, not sparse.");
  }
  return type;
}

// The value of a real double scalar argument.
double scalar_argument(const mxArray *a, const char *name) {
  if (!mxIsDouble(a) || mxIsComplex(a) || mxIsSparse(a) || mxGetNumberOfElements(a) != 1) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument", "%s must be a real double scalar.", name);
  }
  return mxGetPr(a)[0];
}

// A whole number from `lowest` to `highest` (Inf allowed as highest when it is).
double whole_argument(const mxArray *a, const char *name, double lowest, double highest) {
  const double v = scalar_argument(a, name);
  if (!(v >= lowest && v <= highest && v == std::floor(v))) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument",
                      "%s must be a whole number from %.0f to %.0f; it is %g.", name, lowest,
                      highest, v);
  }
  return v;
}

double dim_argument(const mxArray *a) {
  const double dim = scalar_argument(a, "dim");
  if (!(dim >= 1 && dim == std::floor(dim) && std::isfinite(dim))) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument",
                      "dim must be a whole number, 1 or more; it is %g.", dim);
  }
  return dim;
}

// Where signal t of x along dimension dim lies: length, stride and the groups of signals. Every
// dimension past the last one has size 1.
template <class Job>
void signal_layout(const mxArray *x, double dim_argument, Job *job) {
  const double past_last = static_cast<double>(mxGetNumberOfDimensions(x)) + 1;
  const int64_t dim = static_cast<int64_t>(std::min(dim_argument, past_last));
  const mwSize ndim = mxGetNumberOfDimensions(x);
  const mwSize *dims = mxGetDimensions(x);
  job->stride = 1;
  job->length = 1;
  job->outer = 1;
  for (int64_t d = 0; d < static_cast<int64_t>(ndim); ++d) {
    const int64_t size = static_cast<int64_t>(dims[d]);
    if (d < dim - 1) {
      job->stride *= size;
    } else if (d == dim - 1) {
      job->length = size;
    } else {
      job->outer *= size;
    }
  }
}

// Checks the arguments and describes the job; nothing is allocated.
FilterJob job_from_arguments(const mxArray *prhs[], double *budget) {
  FilterJob job;
  job.type = require_signal(prhs[0]);
  job.x = mxGetData(prhs[0]);
  const double w = whole_argument(prhs[1], "w", 1, 2147483647.0);
  if (std::fmod(w, 2) != 1) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument", "w must be odd; it is %.0f.", w);
  }
  job.W2 = static_cast<int32_t>((w - 1) / 2);
  const double padding = whole_argument(prhs[2], "padding", 0, 3);
  const Padding paddings[] = {kConstantPadding, kReplicatePadding, kSymmetricPadding,
                              kPeriodicPadding};
  job.padding = paddings[static_cast<int>(padding)];
  job.fill = scalar_argument(prhs[3], "fill");
  const double dim = dim_argument(prhs[4]);
  job.include_nan = whole_argument(prhs[5], "nanmode", 0, 1) == 0;
  job.block = static_cast<int64_t>(whole_argument(prhs[6], "blocksize", 1, 9007199254740992.0));
  job.threads = static_cast<int32_t>(whole_argument(prhs[7], "threads", 1, kMostWorkers));
  *budget = scalar_argument(prhs[8], "budget");
  if (!(*budget >= 0)) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument",
                      "budget must be a number of bytes, 0 or more (Inf allowed).");
  }
  job.not_a_number = mxGetNaN();
  signal_layout(prhs[0], dim, &job);
  return job;
}

// An array of x's size and class `id`; logical ones have a creator of their own.
mxArray *new_array_like(const mxArray *x, mxClassID id) {
  const mwSize ndim = mxGetNumberOfDimensions(x);
  const mwSize *dims = mxGetDimensions(x);
  if (id == mxLOGICAL_CLASS) return mxCreateLogicalArray(ndim, dims);
  return mxCreateNumericArray(ndim, dims, id, mxREAL);
}

// Runs a planned job in storage for all its workers, obtained from the host and given back.
template <class Job, class Plan>
void run_in_host_storage(const Job &job, const Plan &plan,
                         void (*run)(const Job &, const Plan &, void *)) {
  void *storage = nullptr;
  const size_t bytes = static_cast<size_t>(plan.workers) * plan.worker_bytes;
  if (bytes > 0) storage = mxCalloc(bytes, 1);
  run(job, plan, storage);
  if (storage) mxFree(storage);
}

// ---- The moving mode ----

// Whether a is the character row `name` (read as the host stores characters: 16 bits each in
// MATLAB, 8 in GNU Octave).
bool names(const mxArray *a, const char *name) {
  if (mxGetClassID(a) != mxCHAR_CLASS) return false;
  const size_t count = mxGetNumberOfElements(a);
  const mxChar *chars = static_cast<const mxChar *>(mxGetData(a));
  size_t k = 0;
  for (; k < count && name[k] != 0; ++k) {
    if (static_cast<unsigned>(chars[k]) != static_cast<unsigned char>(name[k])) return false;
  }
  return k == count && name[k] == 0;
}

// A reach back or forward: with times any length of time, 0 or more; else a whole number of
// samples (Inf and anything beyond 2^53 reach past every signal and count as 2^53).
double reach_argument(const mxArray *a, const char *name, bool times) {
  const double v = scalar_argument(a, name);
  if (!(v >= 0) || (!times && std::isfinite(v) && v != std::floor(v))) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument",
                      times ? "%s must be a length of time, 0 or more; it is %g."
                            : "%s must be a whole number of samples, 0 or more; it is %g.",
                      name, v);
  }
  return times ? v : std::min(v, 9007199254740992.0);
}

// The sample times: empty, or one finite time for each position along the signals, ascending.
const double *times_argument(const mxArray *a, int64_t length) {
  if (!mxIsDouble(a) || mxIsComplex(a) || mxIsSparse(a)) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument", "times must be a real double vector.");
  }
  const size_t count = mxGetNumberOfElements(a);
  if (count == 0) return nullptr;
  const double *t = mxGetPr(a);
  bool ascending = static_cast<int64_t>(count) == length;
  for (size_t j = 0; ascending && j < count; ++j) {
    ascending = std::isfinite(t[j]) && (j == 0 || t[j] >= t[j - 1]);
  }
  if (!ascending) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument",
                      "times must hold %lld finite times in ascending order, one for each "
                      "sample along dim.",
                      static_cast<long long>(length));
  }
  return t;
}

// Means of two samples are not logical: logical signals give double results.
SampleType moving_result_type(SampleType x_type) {
  return x_type == kLogicalSamples ? kDoubleSamples : x_type;
}

// Whether x holds a 64-bit integer beyond 2^53 in magnitude, which no double holds exactly.
bool beyond_doubles(const mxArray *x) {
  const size_t count = mxGetNumberOfElements(x);
  const int64_t exact = int64_t{1} << 53;
  if (mxGetClassID(x) == mxINT64_CLASS) {
    const int64_t *v = static_cast<const int64_t *>(mxGetData(x));
    for (size_t j = 0; j < count; ++j) {
      if (v[j] > exact || v[j] < -exact) return true;
    }
  } else if (mxGetClassID(x) == mxUINT64_CLASS) {
    const uint64_t *v = static_cast<const uint64_t *>(mxGetData(x));
    for (size_t j = 0; j < count; ++j) {
      if (v[j] > uint64_t(exact)) return true;
    }
  }
  return false;
}

MovingJob moving_job_from_arguments(const mxArray *prhs[]) {
  MovingJob job;
  job.x_type = require_signal(prhs[1]);
  // Moving medians compute in double: they refuse what double would round.
  if (beyond_doubles(prhs[1])) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidInput",
                      "x holds 64-bit integers beyond 2^53 in magnitude, which moving medians "
                      "(computed in double) would round; they are not served.");
  }
  job.x = mxGetData(prhs[1]);
  job.y_type = moving_result_type(job.x_type);
  signal_layout(prhs[1], dim_argument(prhs[4]), &job);
  if (job.length > 2147483646) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidInput",
                      "The signals along dim hold %lld samples; moving medians serve at most "
                      "2147483646.",
                      static_cast<long long>(job.length));
  }
  MovingWindows &w = job.windows;
  w.times = times_argument(prhs[8], job.length);
  const bool times = w.times != nullptr;
  const double back = reach_argument(prhs[2], "back", times);
  const double forward = reach_argument(prhs[3], "forward", times);
  w.back = times ? 0 : static_cast<int64_t>(back);
  w.forward = times ? 0 : static_cast<int64_t>(forward);
  w.time_back = back;
  w.time_forward = forward;
  w.omit_nan = whole_argument(prhs[5], "nanmode", 0, 1) == 1;
  w.padded = whole_argument(prhs[6], "ends", 0, 1) == 1;
  if (w.padded && times) {
    mexErrMsgIdAndTxt("plorvent_filter:invalidArgument",
                      "Windows in time are clipped to the signal: ends must be 0 with times.");
  }
  w.fill = scalar_argument(prhs[7], "fill");
  w.forward_open = whole_argument(prhs[9], "forward_open", 0, 1) == 1;
  job.threads = static_cast<int32_t>(whole_argument(prhs[10], "threads", 1, kMostWorkers));
  return job;
}

void moving_medians_entry(mxArray *plhs[], const mxArray *prhs[]) {
  MovingJob job = moving_job_from_arguments(prhs);
  const MovingPlan plan = plan_moving(job);
  const mxClassID x_class = mxGetClassID(prhs[1]);
  plhs[0] = new_array_like(prhs[1], job.y_type == kDoubleSamples ? mxDOUBLE_CLASS : x_class);
  job.y = mxGetData(plhs[0]);
  run_in_host_storage(job, plan, run_moving);
}

}  // namespace

void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
  if (nrhs == 11 && nlhs <= 1 && names(prhs[0], "moving")) {
    moving_medians_entry(plhs, prhs);
    return;
  }
  if (nrhs != 9 || nlhs > 1) mexErrMsgIdAndTxt("plorvent_filter:usage", "%s", kUsage);
  double budget = 0;
  FilterJob job = job_from_arguments(prhs, &budget);
  const FilterPlan plan = plan_filter(job);
  if (plan.unserved) {
    mexErrMsgIdAndTxt("plorvent_filter:windowTooLong",
                      "A window of %d samples is longer than the signals, and they hold %lld "
                      "samples: windows longer than signals of more than %lld samples are not "
                      "served.",
                      2 * job.W2 + 1, static_cast<long long>(job.length),
                      static_cast<long long>(kMostLongWindowOutputs));
  }
  if (static_cast<double>(plan.selection_bytes) > budget) {
    mexErrMsgIdAndTxt("plorvent_filter:windowTooLong",
                      "A window of %d samples, longer than the signals (%lld samples), that holds "
                      "NaN or zeros of both signs needs %.0f bytes for its exact median, more "
                      "than the budget of %.0f bytes.",
                      2 * job.W2 + 1, static_cast<long long>(job.length),
                      static_cast<double>(plan.selection_bytes), budget);
  }
  plhs[0] = new_array_like(prhs[0], mxGetClassID(prhs[0]));
  job.y = mxGetData(plhs[0]);
  run_in_host_storage(job, plan, run_filter);
}
