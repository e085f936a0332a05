// The work of plorvent_filter, shared by every host's entry (gateway/filter_host.h):
//   y = plorvent_filter(x, w, padding, fill, dim, nanmode, blocksize, threads, budget, ...)
// the running median of every signal of x along dimension dim, in x's own class, and
//   y = plorvent_filter('moving', x, back, forward, dim, nanmode, ends, fill, times,
//                       forward_open, threads, ...)
// the moving median over windows reaching back and forward (in samples, or in the units of
// times), clipped to the signal or padded with fill, NaN included or omitted. Name-value pairs
// may follow: 'outputs', [first last] computes only those outputs of each signal (1-based); in
// the moving mode also 'blocksize', B and 'budget', BYTES as in the other, and 'statistic', one
// of 'median' (the default), 'quantile' (with 'p', P and 'method', M), 'mad' (the median
// absolute deviation; a second result then holds each window's median), 'hampel' (with 'nsigma',
// F and 'scale', S: results the filtered samples, their flags, the medians and sigma = S*MAD) or
// 'outliers' (with 'threshold', F, 'scale', S and 'fillmethod', 'center' | 'clip' | V: results
// the filled samples, the flags, the lower and upper bounds and the medians). 'results', [R ...]
// names the results the call takes, in the order it receives them (by default the first nlhs):
// only those are computed.
//   y = plorvent_filter('image', A, domain, order, padding, fill, threads, budget, ...)
// the order-th smallest (1-based) of the samples that the logical matrix domain picks from the
// window around each sample of every plane of A (A(:, :, k) an image), the window's origin at
// row floor((m+1)/2) and column floor((n+1)/2) of domain, beyond the image `fill` (padding 0) or
// the image mirrored (padding 1); in A's class, NaN the greatest. Name-value pairs: 'offsets', S
// (a double matrix of domain's size, added to the window's samples before they are ranked; a
// logical A then gives double results), 'blocksize', B (the most output rows a tile takes) and
// 'meannext', 1 (each output the mean of the order-th and the next, as an even window's median:
// core/images/middle_means.h).
//
// Checks every argument before anything is allocated, plans the job, refuses one that would need
// more work memory than the budget allows (with fewer threads if those fit), then runs it on
// worker threads into a new array. x is only read. With 'length', N in either mode the call is
// planned only, for signals of N samples of x's class (x holds none along dim), and returns the
// bytes of work memory its plan takes, or refuses it as the call itself would be refused: so a
// signal too long for memory is refused before it is read. A pending Ctrl-C (in GNU Octave) stops
// the work between pieces and raises plorvent_filter:interrupted. The host is reached only
// through its adapter; an error leaves this code by the host's own way (a native unwind or a
// jump), so nothing here owns anything when it raises one: the work storage is given back first.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "core/engines/long_window_medians.h"
#include "core/jobs/filter_job.h"
#include "core/jobs/image_job.h"
#include "core/jobs/moving_job.h"
#include "core/jobs/worker_threads.h"
#include "core/support/host_alloc.h"
#include "gateway/filter_host.h"

void raise_host_error(const char *id, const char *format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);
  raise_host_message(id, message);
}

namespace {

// 1/Phi^-1(3/4): the MAD of normally distributed samples times it estimates their standard
// deviation (-1/(sqrt(2)*erfcinv(3/2)) as the host computes it).
const double kNormalMadScale = 1.4826022185056018;

const char kUsage[] =
    "Usage: y = plorvent_filter(x, w, padding, fill, dim, nanmode, blocksize, threads, budget, "
    "['outputs', [first last]], ['length', N])\n"
    "   or: [y, medians] = plorvent_filter('moving', x, back, forward, dim, nanmode, ends, fill, "
    "times, forward_open, threads, ['outputs', [first last]], ['length', N], ['blocksize', B], "
    "['budget', BYTES], ['statistic', 'median' | 'quantile' | 'mad' | 'hampel' | 'outliers'], "
    "['p', P], ['method', M], ['nsigma', F], ['threshold', F], ['scale', S], "
    "['fillmethod', 'center' | 'clip' | V], ['results', [R ...]])\n"
    "   or: y = plorvent_filter('image', A, domain, order, padding, fill, threads, budget, "
    "['offsets', S], ['blocksize', B], ['meannext', 1])";

// Raises the usage error (the host's error call does not return).
void refuse_usage() {
  raise_host_error("plorvent_filter:usage", "%s", kUsage);
}

// The arguments before the name-value pairs, in each mode.
const int kFilterArguments = 9;
const int kMovingArguments = 11;

bool is_double(const HostArgument *a) {
  return a->samples && a->type == kDoubleSamples;
}

const double *doubles_of(const HostArgument *a) {
  return static_cast<const double *>(a->data);
}

SampleType require_signal(const HostArgument *x) {
  if (!x->samples) {
    raise_host_error("plorvent_filter:invalidInput",
                     "x must be a numeric or logical array; its class is not one of those.");
  }
  if (x->complex) {
    raise_host_error("plorvent_filter:invalidInput",
                     "x must be real: complex samples have no order for a median.");
  }
  if (x->sparse) {
    raise_host_error("plorvent_filter:invalidInput", "x must be a full array, not sparse.");
  }
  return x->type;
}

// The value of a real double scalar argument.
double scalar_argument(const HostArgument *a, const char *name) {
  if (!is_double(a) || a->complex || a->sparse || a->count != 1) {
    raise_host_error("plorvent_filter:invalidArgument", "%s must be a real double scalar.", name);
  }
  return doubles_of(a)[0];
}

// A whole number from `lowest` to `highest` (Inf allowed as highest when it is).
double whole_argument(const HostArgument *a, const char *name, double lowest, double highest) {
  const double v = scalar_argument(a, name);
  if (!(v >= lowest && v <= highest && v == std::floor(v))) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "%s must be a whole number from %.0f to %.0f; it is %g.", name, lowest,
                     highest, v);
  }
  return v;
}

double dim_argument(const HostArgument *a) {
  const double dim = scalar_argument(a, "dim");
  if (!(dim >= 1 && dim == std::floor(dim) && std::isfinite(dim))) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "dim must be a whole number, 1 or more; it is %g.", dim);
  }
  return dim;
}

// The signals of x along dimension dim.
SignalArray signals_of(const HostArgument *x, double dim) {
  if (x->dim_bytes == 4) return signals_along(static_cast<const int32_t *>(x->dims), x->ndim, dim);
  return signals_along(static_cast<const int64_t *>(x->dims), x->ndim, dim);
}

// The padding constant as a sample of class `type`: a double that class holds or, for 64-bit
// integers, a scalar of their own class, which *key carries exactly (a double holds only some of
// their values). Anything else is not a padding that class can hold.
double fill_argument(const HostArgument *a, SampleType type, int64_t *key, const char *name) {
  *key = 0;
  if (is_64_bit_integer(type) && a->samples && a->type == type && a->count == 1 && !a->complex &&
      !a->sparse) {
    *key = integer_key(type, a->data, 0);
    return value_of_key(type, *key);
  }
  const double fill = scalar_argument(a, name);
  if (!fits_sample_type(type, fill)) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "%s must be a value of the samples' class; %g is not.", name, fill);
  }
  if (is_64_bit_integer(type)) *key = integer_key_of(type, fill);
  return fill;
}

// The outputs of each signal to compute: all of them, or [first last] (1-based).
void outputs_argument(const HostArgument *a, int64_t length, int64_t *first, int64_t *count) {
  *first = 0;
  *count = length;
  if (a == nullptr) return;
  const bool pair = is_double(a) && !a->complex && !a->sparse && a->count == 2;
  const double from = pair ? doubles_of(a)[0] : 0, to = pair ? doubles_of(a)[1] : 0;
  if (!(pair && from >= 1 && from == std::floor(from) && to == std::floor(to) &&
        to <= static_cast<double>(length) && from <= to)) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "outputs must be [first last], whole numbers with 1 <= first <= last <= "
                     "%lld, the signals' length.",
                     static_cast<long long>(length));
  }
  *first = static_cast<int64_t>(from) - 1;
  *count = static_cast<int64_t>(to - from + 1);
}

// 'length', N: the job planned, not run, for signals of N samples along dim, from x's class and
// its other sizes (x holds no sample along dim); there are no samples to read.
bool plans_length(const HostArgument *a, SignalArray *signals, const void **x) {
  if (a == nullptr) return false;
  const double n = whole_argument(a, "length", 0, 9007199254740992.0);
  if (signals->length != 0) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "x must hold no samples along dim where 'length' plans the call.");
  }
  signals->length = static_cast<int64_t>(n);
  *x = nullptr;
  return true;
}

// The character at k of a character array, read as the host stores characters (16 bits each in
// MATLAB, 8 in GNU Octave).
unsigned character_at(const HostArgument *a, int64_t k) {
  if (a->char_bytes == 2) return static_cast<const uint16_t *>(a->data)[k];
  return static_cast<const unsigned char *>(a->data)[k];
}

// Whether a is the character row `name`.
bool names(const HostArgument *a, const char *name) {
  if (!a->characters) return false;
  int64_t k = 0;
  for (; k < a->count && name[k] != 0; ++k) {
    if (character_at(a, k) != static_cast<unsigned char>(name[k])) return false;
  }
  return k == a->count && name[k] == 0;
}

// The name-value pairs after the arguments of a mode (null where not given).
struct Options {
  const HostArgument *outputs;
  const HostArgument *length;
  const HostArgument *blocksize;
  const HostArgument *budget;
  const HostArgument *statistic;
  const HostArgument *p;
  const HostArgument *method;
  const HostArgument *nsigma;
  const HostArgument *threshold;
  const HostArgument *scale;
  const HostArgument *fillmethod;
  const HostArgument *results;
};

Options options_after(int first, int nrhs, const HostArgument *const prhs[], bool moving) {
  Options o = {};
  const char *const names_of_moving[] = {"blocksize",  "budget", "statistic", "p",
                                         "method",     "nsigma", "threshold", "scale",
                                         "fillmethod", "results"};
  const HostArgument **values_of_moving[] = {&o.blocksize,  &o.budget, &o.statistic, &o.p,
                                             &o.method,     &o.nsigma, &o.threshold, &o.scale,
                                             &o.fillmethod, &o.results};
  const size_t moving_options = sizeof names_of_moving / sizeof *names_of_moving;
  for (int k = first; k + 1 < nrhs; k += 2) {
    const HostArgument **value = names(prhs[k], "outputs")  ? &o.outputs
                                 : names(prhs[k], "length") ? &o.length
                                                            : nullptr;
    for (size_t j = 0; moving && value == nullptr && j < moving_options; ++j) {
      if (names(prhs[k], names_of_moving[j])) value = values_of_moving[j];
    }
    if (value == nullptr) {
      raise_host_error("plorvent_filter:invalidArgument",
                       "Argument %d must name an option: 'outputs', 'length'%s.", k + 1,
                       moving ? ", 'blocksize', 'budget', 'statistic', 'p', 'method', 'nsigma', "
                                "'threshold', 'scale', 'fillmethod' or 'results'"
                              : "");
    }
    *value = prhs[k + 1];
  }
  return o;
}

// The statistic that `a` names (the median where none is named), with its default parameters.
MovingStatistic named_statistic(const HostArgument *a, const char **name) {
  const char *const kinds[] = {"median", "quantile", "mad", "hampel", "outliers"};
  const OutlierTest test = {3, kNormalMadScale, kNoFill, 0, 0, false};
  const MovingStatistic statistics[] = {median_statistic(), quantile_statistic(0.5, 5),
                                        mad_statistic(), outlier_statistic(kHampelStatistic, test),
                                        outlier_statistic(kOutlierStatistic, test)};
  for (int k = 0; k < 5; ++k) {
    if (a == nullptr || names(a, kinds[k])) {
      *name = kinds[k];
      return statistics[k];
    }
  }
  raise_host_error("plorvent_filter:invalidArgument",
                   "statistic must be 'median', 'quantile', 'mad', 'hampel' or 'outliers'.");
  return median_statistic();
}

// Refuses a parameter given to a statistic that does not take it.
void refuse_unless(bool takes, const HostArgument *given, const char *parameter, const char *owners,
                   const char *name) {
  if (takes || given == nullptr) return;
  raise_host_error("plorvent_filter:invalidArgument",
                   "'%s' goes only with 'statistic', %s; the statistic is '%s'.", parameter, owners,
                   name);
}

// A finite number, 0 or more.
double factor_argument(const HostArgument *a, const char *name) {
  const double v = scalar_argument(a, name);
  if (!(v >= 0 && std::isfinite(v))) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "%s must be a finite number, 0 or more; it is %g.", name, v);
  }
  return v;
}

// An outlier test's fill: 'center', 'clip' or a value of the filled result's class.
void fill_method_argument(const HostArgument *a, SampleType type, OutlierTest *test) {
  if (names(a, "center")) {
    test->fill = kCenterFill;
  } else if (names(a, "clip")) {
    test->fill = kClipFill;
  } else if (a->characters) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "fillmethod must be 'center', 'clip' or a value of the samples' class.");
  } else {
    test->fill = kConstantFill;
    test->fill_value = fill_argument(a, type, &test->fill_key, "fillmethod");
  }
}

// The statistic of the moving mode, read from its name-value pairs once; each parameter only
// with the statistics that take it. `filled` is the class of an outlier test's filled result.
MovingStatistic statistic_argument(const Options &o, SampleType x_type, SampleType filled) {
  const char *name = nullptr;
  MovingStatistic s = named_statistic(o.statistic, &name);
  const bool quantile = s.kind == kQuantileStatistic, hampel = s.kind == kHampelStatistic;
  const bool outliers = s.kind == kOutlierStatistic;
  refuse_unless(quantile, o.p, "p", "'quantile'", name);
  refuse_unless(quantile, o.method, "method", "'quantile'", name);
  refuse_unless(hampel, o.nsigma, "nsigma", "'hampel'", name);
  refuse_unless(outliers, o.threshold, "threshold", "'outliers'", name);
  refuse_unless(outliers, o.fillmethod, "fillmethod", "'outliers'", name);
  refuse_unless(hampel || outliers, o.scale, "scale", "'hampel' or 'outliers'", name);
  if (is_outlier_test(s)) {
    OutlierTest &t = s.outlier;
    const HostArgument *factor = hampel ? o.nsigma : o.threshold;
    if (factor) t.factor = factor_argument(factor, hampel ? "nsigma" : "threshold");
    if (o.scale) t.scale = factor_argument(o.scale, "scale");
    if (o.fillmethod) fill_method_argument(o.fillmethod, filled, &t);
    t.single_precision = x_type == kSingleSamples;
    return s;
  }
  if (!quantile) return s;
  if (o.p) s.quantile.p = scalar_argument(o.p, "p");
  if (!(s.quantile.p >= 0 && s.quantile.p <= 1)) {
    raise_host_error("plorvent_filter:invalidArgument", "p must be from 0 to 1; it is %g.",
                     s.quantile.p);
  }
  if (o.method) s.quantile.method = static_cast<int32_t>(whole_argument(o.method, "method", 1, 9));
  return s;
}

// The class of each of a statistic's results: its values are of class y_type; an outlier test's
// flags are logical, and its statistics single for single samples, double otherwise.
SampleType result_type(const MovingStatistic &s, int32_t of, SampleType x_type, SampleType y_type) {
  if (!is_outlier_test(s) || of == 0) return y_type;
  if (of == 1) return kLogicalSamples;
  return x_type == kSingleSamples ? kSingleSamples : kDoubleSamples;
}

// The results the call takes, in the order it receives them: 'results', a list of distinct
// result numbers (1-based, as statistic_results orders them), or the first nlhs (at least one).
void results_argument(const HostArgument *a, int nlhs, MovingJob *job) {
  const MovingStatistic &s = job->statistic;
  const int32_t most = statistic_results(s);
  if (a == nullptr) {
    if (nlhs > most) refuse_usage();
    job->results = std::max(nlhs, 1);
    for (int32_t r = 0; r < job->results; ++r) job->taken[r].of = r;
  } else {
    const size_t count = a->count;
    bool valid = a->samples && a->type == kDoubleSamples && !a->complex && !a->sparse &&
                 count >= 1 && count <= static_cast<size_t>(most);
    bool seen[kMostStatisticResults] = {};
    for (size_t r = 0; valid && r < count; ++r) {
      const double v = static_cast<const double *>(a->data)[r];
      valid = v >= 1 && v <= most && v == std::floor(v) && !seen[static_cast<int>(v) - 1];
      if (valid) seen[static_cast<int>(v) - 1] = true;
      if (valid) job->taken[r].of = static_cast<int32_t>(v) - 1;
    }
    if (!valid) {
      raise_host_error("plorvent_filter:invalidArgument",
                       "results must list distinct result numbers from 1 to %d.", most);
    }
    if (nlhs > static_cast<int>(count)) refuse_usage();
    job->results = static_cast<int32_t>(count);
  }
  for (int32_t r = 0; r < job->results; ++r) {
    const int32_t of = job->taken[r].of;
    job->taken[r].type = result_type(s, of, job->x_type, job->y_type);
    if (s.kind == kOutlierStatistic && of == 0 && s.outlier.fill == kNoFill) {
      raise_host_error("plorvent_filter:invalidArgument",
                       "The filled samples (result 1) need a 'fillmethod'.");
    }
  }
}

double budget_argument(const HostArgument *a) {
  const double budget = scalar_argument(a, "budget");
  if (!(budget >= 0)) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "budget must be a number of bytes, 0 or more (Inf allowed).");
  }
  return budget;
}

double blocksize_argument(const HostArgument *a) {
  return whole_argument(a, "blocksize", 1, 9007199254740992.0);
}

// Checks the arguments and describes the job; nothing is allocated.
FilterJob job_from_arguments(int nrhs, const HostArgument *const prhs[], double *budget,
                             bool *planning) {
  const Options options = options_after(kFilterArguments, nrhs, prhs, false);
  FilterJob job;
  job.type = require_signal(prhs[0]);
  job.x = prhs[0]->data;
  const double w = whole_argument(prhs[1], "w", 1, 2147483647.0);
  if (std::fmod(w, 2) != 1) {
    raise_host_error("plorvent_filter:invalidArgument", "w must be odd; it is %.0f.", w);
  }
  job.W2 = static_cast<int32_t>((w - 1) / 2);
  const double padding = whole_argument(prhs[2], "padding", 0, 3);
  const Padding paddings[] = {kConstantPadding, kReplicatePadding, kSymmetricPadding,
                              kPeriodicPadding};
  job.padding = paddings[static_cast<int>(padding)];
  job.fill = fill_argument(prhs[3], job.type, &job.fill_key, "fill");
  const double dim = dim_argument(prhs[4]);
  job.include_nan = whole_argument(prhs[5], "nanmode", 0, 1) == 0;
  job.block = static_cast<int64_t>(blocksize_argument(prhs[6]));
  job.threads = static_cast<int32_t>(whole_argument(prhs[7], "threads", 1, kMostWorkers));
  *budget = budget_argument(prhs[8]);
  job.not_a_number = host_nan();
  job.signals = signals_of(prhs[0], dim);
  *planning = plans_length(options.length, &job.signals, &job.x);
  outputs_argument(options.outputs, job.signals.length, &job.first_output, &job.outputs);
  return job;
}

// As many of the planned workers as the budget holds; a budget that does not hold one refuses
// the call (`what` says why the job needs so much).
int32_t workers_within(double budget, int32_t workers, size_t worker_bytes, const char *what) {
  const double each = static_cast<double>(worker_bytes);
  if (each > budget) {
    raise_host_error("plorvent_filter:windowTooLong",
                     "%s needs %.0f bytes of work memory, more than the budget of %g bytes.", what,
                     each, budget);
  }
  if (each == 0) return workers;
  return static_cast<int32_t>(std::min<double>(workers, std::floor(budget / each)));
}

// Runs a planned job in storage for all its workers, obtained from the host and given back, and
// raises plorvent_filter:interrupted if a Ctrl-C stopped it.
template <class Job, class Plan>
void run_in_host_storage(const Job &job, const Plan &plan,
                         void (*run)(const Job &, const Plan &, void *)) {
  void *storage = nullptr;
  const size_t bytes = static_cast<size_t>(plan.workers) * plan.worker_bytes;
  if (bytes > 0) storage = mxCalloc(bytes, 1);
  watch_host_interruption_during_work();
  run(job, plan, storage);
  if (storage) mxFree(storage);
  if (work_was_interrupted()) {
    raise_host_error("plorvent_filter:interrupted", "Interrupted (Ctrl-C): no result.");
  }
}

// ---- The moving mode ----

// A reach back or forward: with times any length of time, 0 or more; else a whole number of
// samples (Inf and anything beyond 2^53 reach past every signal and count as 2^53).
double reach_argument(const HostArgument *a, const char *name, bool times) {
  const double v = scalar_argument(a, name);
  if (!(v >= 0) || (!times && std::isfinite(v) && v != std::floor(v))) {
    raise_host_error("plorvent_filter:invalidArgument",
                     times ? "%s must be a length of time, 0 or more; it is %g."
                           : "%s must be a whole number of samples, 0 or more; it is %g.",
                     name, v);
  }
  return times ? v : std::min(v, 9007199254740992.0);
}

// The sample times: empty, or one finite time for each position along the signals, ascending.
const double *times_argument(const HostArgument *a, int64_t length) {
  if (!is_double(a) || a->complex || a->sparse) {
    raise_host_error("plorvent_filter:invalidArgument", "times must be a real double vector.");
  }
  const int64_t count = a->count;
  if (count == 0) return nullptr;
  const double *t = doubles_of(a);
  bool ascending = count == length;
  for (int64_t j = 0; ascending && j < count; ++j) {
    ascending = std::isfinite(t[j]) && (j == 0 || t[j] >= t[j - 1]);
  }
  if (!ascending) {
    raise_host_error("plorvent_filter:invalidArgument",
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

MovingJob moving_job_from_arguments(int nlhs, int nrhs, const HostArgument *const prhs[],
                                    double *budget, bool *planning) {
  const Options options = options_after(kMovingArguments, nrhs, prhs, true);
  // More results than the statistic gives is a usage fault, raised before any argument's.
  const char *name = nullptr;
  if (options.results == nullptr &&
      nlhs > statistic_results(named_statistic(options.statistic, &name))) {
    refuse_usage();
  }
  MovingJob job{};
  job.x_type = require_signal(prhs[1]);
  job.x = prhs[1]->data;
  job.y_type = moving_result_type(job.x_type);
  job.statistic = statistic_argument(options, job.x_type, job.y_type);
  results_argument(options.results, nlhs, &job);
  job.signals = signals_of(prhs[1], dim_argument(prhs[4]));
  *planning = plans_length(options.length, &job.signals, &job.x);
  if (job.signals.length > kMostMovingSamples && sample_count(job.signals) > 0) {
    raise_host_error("plorvent_filter:invalidInput",
                     "The signals along dim hold %lld samples; moving medians serve at most "
                     "%lld.",
                     static_cast<long long>(job.signals.length),
                     static_cast<long long>(kMostMovingSamples));
  }
  MovingWindows &w = job.windows;
  w.times = times_argument(prhs[8], job.signals.length);
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
    raise_host_error("plorvent_filter:invalidArgument",
                     "Windows in time are clipped to the signal: ends must be 0 with times.");
  }
  // A sample like the results, which it may be.
  w.fill = fill_argument(prhs[7], job.y_type, &job.fill_key, "fill");
  w.forward_open = whole_argument(prhs[9], "forward_open", 0, 1) == 1;
  job.threads = static_cast<int32_t>(whole_argument(prhs[10], "threads", 1, kMostWorkers));
  job.block = options.blocksize ? static_cast<int64_t>(blocksize_argument(options.blocksize))
                                : kDefaultBlock;
  *budget = options.budget ? budget_argument(options.budget) : INFINITY;
  outputs_argument(options.outputs, job.signals.length, &job.first_output, &job.outputs);
  return job;
}

// The bytes of work memory a planned job takes, as the result of a call that plans only: a double
// scalar.
void planned_bytes(HostResults *results, int32_t workers, size_t worker_bytes) {
  const int64_t one_by_one[2] = {1, 1};
  const HostArgument scalar = {true, kDoubleSamples, false, 0,          false, false,
                               1,    nullptr,        2,     one_by_one, 8};
  double *bytes = static_cast<double *>(new_host_result(results, 0, &scalar, 1, 1, kDoubleSamples));
  bytes[0] = static_cast<double>(workers) * static_cast<double>(worker_bytes);
}

void moving_statistics_entry(int nlhs, int nrhs, const HostArgument *const prhs[],
                             HostResults *results) {
  double budget = 0;
  bool planning = false;
  MovingJob job = moving_job_from_arguments(nlhs, nrhs, prhs, &budget, &planning);
  MovingPlan plan = plan_moving(job);
  plan.workers = workers_within(budget, plan.workers, plan.worker_bytes, "This moving statistic");
  if (planning) {
    planned_bytes(results, plan.workers, plan.worker_bytes);
    return;
  }
  // The results are made only once the budget holds the plan: a refused call leaves none behind.
  const double dim = doubles_of(prhs[4])[0];
  for (int32_t r = 0; r < job.results; ++r) {
    job.y[r] = new_host_result(results, r, prhs[1], dim, job.outputs, job.taken[r].type);
  }
  run_in_host_storage(job, plan, run_moving);
}

// ---- The image mode ----

const int kImageArguments = 8;

// The window's domain: a nonempty logical matrix; its count of held samples.
ImageWindow domain_argument(const HostArgument *a) {
  if (!(a->samples && a->type == kLogicalSamples && !a->sparse && a->ndim == 2 && a->count > 0)) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "domain must be a nonempty full logical matrix.");
  }
  ImageWindow w = {};
  const double m = static_cast<double>(host_size(a, 0)), n = static_cast<double>(host_size(a, 1));
  if (m > 2147483647.0 || n > 2147483647.0 || m * n > 2147483647.0) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "domain must hold at most 2147483647 elements; it is %.0f by %.0f.", m, n);
  }
  w.rows = static_cast<int32_t>(m);
  w.cols = static_cast<int32_t>(n);
  w.domain = static_cast<const uint8_t *>(a->data);
  for (int64_t k = 0; k < a->count; ++k) w.count += w.domain[k] != 0;
  return w;
}

// 'offsets', S: a real double matrix of the domain's size.
const double *offsets_argument(const HostArgument *a, const HostArgument *domain) {
  if (a == nullptr) return nullptr;
  if (!(is_double(a) && !a->complex && !a->sparse && a->ndim == 2 &&
        host_size(a, 0) == host_size(domain, 0) && host_size(a, 1) == host_size(domain, 1))) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "offsets must be a real double matrix of the domain's size.");
  }
  return doubles_of(a);
}

ImageJob image_job_from_arguments(int nrhs, const HostArgument *const prhs[], double *budget) {
  const HostArgument *offsets = nullptr, *blocksize = nullptr, *meannext = nullptr;
  for (int k = kImageArguments; k + 1 < nrhs; k += 2) {
    const HostArgument **value = names(prhs[k], "offsets")     ? &offsets
                                 : names(prhs[k], "blocksize") ? &blocksize
                                 : names(prhs[k], "meannext")  ? &meannext
                                                               : nullptr;
    if (value == nullptr) {
      raise_host_error("plorvent_filter:invalidArgument",
                       "Argument %d must name an option: 'offsets', 'blocksize' or 'meannext'.",
                       k + 1);
    }
    *value = prhs[k + 1];
  }
  ImageJob job = {};
  job.x_type = require_signal(prhs[1]);
  job.x = prhs[1]->data;
  job.rows = host_size(prhs[1], 0);
  job.cols = host_size(prhs[1], 1);
  job.planes = 1;
  for (int64_t d = 2; d < prhs[1]->ndim; ++d) job.planes *= host_size(prhs[1], d);
  job.window = domain_argument(prhs[2]);
  job.window.offsets = offsets_argument(offsets, prhs[2]);
  job.y_type = job.window.offsets && job.x_type == kLogicalSamples ? kDoubleSamples : job.x_type;
  job.mean_with_next = meannext && whole_argument(meannext, "meannext", 0, 1) == 1;
  const double order =
      whole_argument(prhs[3], "order", 1, job.window.count - (job.mean_with_next ? 1 : 0));
  job.window.rank = static_cast<int32_t>(order) - 1;
  job.padding = whole_argument(prhs[4], "padding", 0, 1) == 1 ? kSymmetricImagePadding
                                                              : kConstantImagePadding;
  const double fill = scalar_argument(prhs[5], "fill");
  if (!fits_sample_type(job.y_type, fill)) {
    raise_host_error("plorvent_filter:invalidArgument",
                     "fill must be a value of the results' class; %g is not.", fill);
  }
  job.fill = fill;
  job.threads = static_cast<int32_t>(whole_argument(prhs[6], "threads", 1, kMostWorkers));
  *budget = budget_argument(prhs[7]);
  job.band = blocksize ? static_cast<int64_t>(blocksize_argument(blocksize)) : 0;
  job.nan = host_nan();
  return job;
}

void image_entry(int nrhs, const HostArgument *const prhs[], HostResults *results) {
  double budget = 0;
  ImageJob job = image_job_from_arguments(nrhs, prhs, &budget);
  ImagePlan plan = plan_image(job);
  plan.workers = workers_within(budget, plan.workers, plan.worker_bytes, "This image filter");
  job.y = new_host_result(results, 0, prhs[1], 1, job.rows, job.y_type);
  run_in_host_storage(job, plan, run_image);
}

}  // namespace

void plorvent_filter_call(int nlhs, int nrhs, const HostArgument *const prhs[],
                          HostResults *results) {
  if (nrhs >= kImageArguments && nrhs <= kMostHostArguments && names(prhs[0], "image")) {
    if ((nrhs - kImageArguments) % 2 != 0 || nlhs > 1) refuse_usage();
    image_entry(nrhs, prhs, results);
    return;
  }
  const bool moving =
      nrhs >= kMovingArguments && nrhs <= kMostHostArguments && names(prhs[0], "moving");
  const int arguments = moving ? kMovingArguments : kFilterArguments;
  // The moving mode's statistic decides how many results it gives.
  if (nrhs < arguments || nrhs > kMostHostArguments || (nrhs - arguments) % 2 != 0 ||
      (!moving && nlhs > 1)) {
    refuse_usage();
  }
  if (moving) {
    moving_statistics_entry(nlhs, nrhs, prhs, results);
    return;
  }
  double budget = 0;
  bool planning = false;
  FilterJob job = job_from_arguments(nrhs, prhs, &budget, &planning);
  FilterPlan plan = plan_filter(job);
  if (plan.unserved) {
    raise_host_error("plorvent_filter:windowTooLong",
                     "A window of %d samples is longer than the signals, and they hold %lld "
                     "samples: windows longer than signals of more than %lld samples are not "
                     "served.",
                     2 * job.W2 + 1, static_cast<long long>(job.signals.length),
                     static_cast<long long>(kMostLongWindowOutputs));
  }
  char what[160];
  snprintf(what, sizeof what,
           plan.selection_bytes > 0
               ? "A window of %d samples, longer than the signals, that holds NaN or zeros of "
                 "both signs (its exact median with 'NaN', 'raw' selects it whole),"
               : "A running median with windows of %d samples",
           2 * job.W2 + 1);
  plan.workers = workers_within(budget, plan.workers, plan.worker_bytes, what);
  if (planning) {
    planned_bytes(results, plan.workers, plan.worker_bytes);
    return;
  }
  job.y = new_host_result(results, 0, prhs[0], doubles_of(prhs[4])[0], job.outputs, job.type);
  run_in_host_storage(job, plan, run_filter);
}
