// Fuzzes plorvent_filter's mexFunction through the stand-in host as a host would call it: the
// fixed-window mode (9 arguments), the moving mode ('moving' and 10 more) and any other count
// (the pairs that may follow name no option here).
// x is an array of any class and shape up to three dimensions, holding the values that break
// median filters; every other argument is mostly a value of its own kind at and around its
// limits, now and then an array no check should take. Every call must raise an error with a
// plorvent_filter: identifier (the usage error exactly when the count is wrong, and no error
// when every argument is in its range) or return an array of x's size and class holding, for
// inputs small enough to check, the slow reference's results. Inputs must stay unchanged, nothing
// may leak, and the result must be the only array created.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "core/jobs/sample_types.h"
#include "fuzz_values.h"
#include "standin_host.h"
#include "test_support.h"

namespace {

// ---- Classes and samples ----

const mxClassID kSignalClasses[16] = {
    mxDOUBLE_CLASS, mxDOUBLE_CLASS,  mxDOUBLE_CLASS, mxSINGLE_CLASS, mxSINGLE_CLASS, mxINT8_CLASS,
    mxUINT8_CLASS,  mxINT16_CLASS,   mxUINT16_CLASS, mxINT32_CLASS,  mxUINT32_CLASS, mxINT64_CLASS,
    mxUINT64_CLASS, mxLOGICAL_CLASS, mxCHAR_CLASS,   mxCELL_CLASS};

bool sample_type(const mxArray *a, SampleType *type) {
  static const struct {
    mxClassID cls;
    SampleType type;
  } kTypes[] = {{mxDOUBLE_CLASS, kDoubleSamples},  {mxSINGLE_CLASS, kSingleSamples},
                {mxINT8_CLASS, kInt8Samples},      {mxUINT8_CLASS, kUint8Samples},
                {mxINT16_CLASS, kInt16Samples},    {mxUINT16_CLASS, kUint16Samples},
                {mxINT32_CLASS, kInt32Samples},    {mxUINT32_CLASS, kUint32Samples},
                {mxINT64_CLASS, kInt64Samples},    {mxUINT64_CLASS, kUint64Samples},
                {mxLOGICAL_CLASS, kLogicalSamples}};
  for (const auto &t : kTypes) {
    if (t.cls == mxGetClassID(a) && !mxIsSparse(a)) {
      *type = t.type;
      return true;
    }
  }
  return false;
}

// v as a value of class T holds it, converted as the toolbox converts: saturated and rounded for
// integers (NaN gives 0), 0 or 1 for logical.
template <class T>
T held(double v, bool logical) {
  if (logical) return static_cast<T>(v == v && v != 0);
  if constexpr (std::is_floating_point<T>::value) {
    const double most = std::numeric_limits<T>::max();
    return static_cast<T>(std::isfinite(v) ? std::max(-most, std::min(most, v)) : v);
  } else {
    if (v != v) return T(0);
    const double most = static_cast<double>(std::numeric_limits<T>::max());
    const double top = sizeof(T) == 8 ? std::nextafter(most, 0.0) : most;  // 2^63 is not held
    const double lowest = static_cast<double>(std::numeric_limits<T>::min());
    return static_cast<T>(std::round(std::max(lowest, std::min(top, v))));
  }
}

// One sample: a bit pattern when raw, else from the palette (for integers, small values, the
// extremes and -2^53).
template <class T>
T take_sample(FuzzBytes &in, bool raw, bool logical) {
  if (raw && !logical) {
    uint8_t bytes[sizeof(T)];
    for (uint8_t &b : bytes) b = take_byte(in);
    T v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
  }
  const uint8_t b = take_byte(in);
  if (std::is_integral<T>::value && !logical) {
    const double values[8] = {0, 1, -1, 2, 3, 1e300, -1e300, -0x1p53};
    return held<T>(values[b % 8], false);
  }
  return held<T>(palette_value(b), logical);
}

template <class F>
void with_type(SampleType type, F f) {
  with_element_type(type, [&](auto *null) {
    using T = std::remove_pointer_t<decltype(null)>;
    f(T(), type == kLogicalSamples);
  });
}

// x: flags pick the class, a long first dimension, sparse, complex and raw bit patterns.
mxArray *take_signal(FuzzBytes &in) {
  const uint8_t flags = take_byte(in);
  const mxClassID cls = kSignalClasses[flags & 15];
  const mwSize ndim = 2 + take_byte(in) % 2;
  mwSize dims[3];
  for (mwSize d = 0; d < ndim; ++d) dims[d] = take_byte(in) % 7;
  if (flags & 0x10) dims[0] = 1 + 2 * take_byte(in);  // past the shortest windows' engine
  if ((flags & 0x20) && cls == mxDOUBLE_CLASS) return mxCreateSparse(dims[0], dims[1], 1, mxREAL);
  const bool complex = (flags & 0x40) && (cls == mxDOUBLE_CLASS || cls == mxSINGLE_CLASS);
  mxArray *x = cls == mxLOGICAL_CLASS
                   ? mxCreateLogicalArray(ndim, dims)
                   : mxCreateNumericArray(ndim, dims, cls, complex ? mxCOMPLEX : mxREAL);
  SampleType type;
  if (!sample_type(x, &type)) return x;
  with_type(type, [&](auto zero, bool logical) {
    auto *v = static_cast<decltype(zero) *>(mxGetData(x));
    for (size_t i = 0; i < mxGetNumberOfElements(x); ++i) {
      v[i] = take_sample<decltype(zero)>(in, flags & 0x80, logical);
    }
  });
  return x;
}

// The array's elements as doubles (x's class: numeric or logical, full).
std::vector<double> values_of(const mxArray *a, SampleType type) {
  std::vector<double> v(mxGetNumberOfElements(a));
  with_type(type, [&](auto zero, bool) {
    const auto *p = static_cast<const decltype(zero) *>(mxGetData(a));
    for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<double>(p[i]);
  });
  return v;
}

bool holds_nan(const mxArray *x, SampleType type) {
  const std::vector<double> v = values_of(x, type);
  return std::any_of(v.begin(), v.end(), [](double s) { return s != s; });
}

// Whether x holds a 64-bit integer beyond 2^53 in magnitude, where doubles stop holding every
// integer (compared as integers: 2^53+1 becomes 2^53 as a double).
bool beyond_doubles(const mxArray *x, SampleType type) {
  if (type != kInt64Samples && type != kUint64Samples) return false;
  bool beyond = false;
  with_type(type, [&](auto zero, bool) {
    using T = decltype(zero);
    const T limit = static_cast<T>(int64_t{1} << 53);
    const T *p = static_cast<const T *>(mxGetData(x));
    for (size_t i = 0; i < mxGetNumberOfElements(x); ++i) {
      beyond = beyond || p[i] > limit || (std::is_signed<T>::value && p[i] < T(0) - limit);
    }
  });
  return beyond;
}

// The raw bytes of an array's (real) data; empty for arrays of no sample class.
std::vector<uint8_t> data_bytes(const mxArray *a) {
  SampleType type;
  if (!sample_type(a, &type)) return {};
  size_t size = 0;
  with_type(type, [&](auto zero, bool) { size = sizeof zero; });
  const uint8_t *p = static_cast<const uint8_t *>(mxGetData(a));
  return std::vector<uint8_t>(p, p + size * mxGetNumberOfElements(a));
}

// ---- The other arguments ----

struct Pick {
  double value;
  bool valid;
};

const Pick kWindows[] = {
    {1, 1},          {3, 1},   {5, 1},   {7, 1},    {11, 1},   {21, 1},
    {63, 1},         {65, 1},  {101, 1}, {1001, 1}, {4097, 1}, {65537, 1},
    {2147483647, 1}, {0, 0},   {2, 0},   {-1, 0},   {1.5, 0},  {2147483649.0, 0},
    {kNaN, 0},       {kInf, 0}};
const Pick kPaddings[] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 0}, {-1, 0}, {0.5, 0}};
const Pick kDims[] = {{1, 1}, {1, 1},  {2, 1},   {3, 1},    {4, 1},   {1e300, 1},
                      {0, 0}, {-1, 0}, {1.5, 0}, {kInf, 0}, {kNaN, 0}};
const Pick kSwitches[] = {{0, 1}, {1, 1}, {0, 1}, {1, 1}, {2, 0}, {-1, 0}, {0.5, 0}};
const Pick kBlocks[] = {{1, 1},      {2, 1}, {3, 1},  {7, 1},   {64, 1},         {1 << 20, 1},
                        {0x1p53, 1}, {0, 0}, {-1, 0}, {1.5, 0}, {0x1p53 + 2, 0}, {kInf, 0}};
const Pick kThreads[] = {{1, 1}, {1, 1}, {2, 1}, {4, 1}, {256, 1}, {0, 0}, {257, 0}, {1.5, 0}};
const Pick kBudgets[] = {{0, 1},    {64, 1}, {4096, 1}, {0x1p27, 1},
                         {kInf, 1}, {-1, 0}, {kNaN, 0}, {-kInf, 0}};
// Whole numbers of samples, lengths of time, or neither (validity decided with the times).
const Pick kReaches[] = {{0, 1},   {1, 1},    {2, 1},      {3, 1},     {5, 1},
                         {10, 1},  {1000, 1}, {0x1p53, 1}, {1e300, 1}, {kInf, 1},
                         {1.5, 1}, {0.5, 1},  {-1, 0},     {kNaN, 0}};

mxArray *scalar(double v) {
  mxArray *a = mxCreateDoubleMatrix(1, 1, mxREAL);
  *mxGetPr(a) = v;
  return a;
}

// An array that is no real double scalar.
mxArray *odd_argument(uint8_t b) {
  const mwSize one[2] = {1, 1};
  switch (b % 6) {
    case 0:
      return mxCreateDoubleMatrix(0, 0, mxREAL);
    case 1:
      return mxCreateDoubleMatrix(1, 2, mxREAL);
    case 2:
      return mxCreateDoubleMatrix(1, 1, mxCOMPLEX);
    case 3:
      return mxCreateSparse(1, 1, 1, mxREAL);
    case 4:
      return mxCreateString("1");
    default:
      return mxCreateNumericArray(2, one, mxINT32_CLASS, mxREAL);
  }
}

// A call's arguments as they are taken, and whether each was in its range.
struct Call {
  std::vector<mxArray *> args;
  bool valid = true;
};

// A scalar argument: mostly a value of `table`, sometimes an array no scalar check accepts.
template <size_t N>
double take_scalar(FuzzBytes &in, const Pick (&table)[N], Call &call) {
  const uint8_t b = take_byte(in);
  if (b >= 240) {
    call.args.push_back(odd_argument(b));
    call.valid = false;
    return kNaN;
  }
  const Pick &p = table[b % N];
  call.args.push_back(scalar(p.value));
  call.valid = call.valid && p.valid;
  return p.value;
}

// The padding constant, a value x's class holds (as the toolbox converts it).
double take_fill(FuzzBytes &in, bool numeric, SampleType type, Call &call) {
  const uint8_t b = take_byte(in);
  double fill = palette_value(b);
  if (numeric) {
    with_type(type, [&](auto zero, bool logical) {
      fill = static_cast<double>(held<decltype(zero)>(fill, logical));
    });
  }
  call.args.push_back(b >= 240 ? odd_argument(b) : scalar(fill));
  call.valid = call.valid && b < 240;
  return fill;
}

// Sample times: mostly none; else `length` ascending times with gaps and repeats, now and then
// one of them made NaN or out of order, or a time too many, or no double vector.
const double *take_times(FuzzBytes &in, int64_t length, Call &call) {
  const uint8_t b = take_byte(in), kind = b % 8;
  if (kind < 4) {
    call.args.push_back(mxCreateDoubleMatrix(0, 0, mxREAL));
    return nullptr;
  }
  if (kind == 7) {
    call.args.push_back(mxCreateString("t"));
    call.valid = false;
    return nullptr;
  }
  const int64_t count = kind == 6 ? length + 1 : length;
  mxArray *t = mxCreateDoubleMatrix(static_cast<mwSize>(count), 1, mxREAL);
  call.args.push_back(t);
  double *p = mxGetPr(t), now = -3.5;
  for (int64_t j = 0; j < count; ++j) {
    const uint8_t step = take_byte(in) % 6;
    p[j] = now += step == 5 ? 20.0 : 0.5 * step;
  }
  if (kind == 5 && count > 0) p[take_byte(in) % count] = (b & 0x80) ? kNaN : -1e9;
  bool ascending = count == length || count == 0;
  for (int64_t j = 0; j < count; ++j)
    ascending = ascending && std::isfinite(p[j]) && (j == 0 || p[j] >= p[j - 1]);
  call.valid = call.valid && ascending;
  return count > 0 ? p : nullptr;
}

// ---- Layout and references ----

struct Layout {
  int64_t length = 1, stride = 1, outer = 1;
};

// Signals along dimension dim (every one of length 1 past the last dimension).
Layout layout_along(const mxArray *x, double dim) {
  Layout l;
  const mwSize *dims = mxGetDimensions(x);
  for (mwSize d = 0; d < mxGetNumberOfDimensions(x); ++d) {
    int64_t &part = d + 1 < dim ? l.stride : d + 1 == dim ? l.length : l.outer;
    part *= dims[d];
  }
  return l;
}

struct FixedArguments {
  double w, padding, fill, dim, nanmode, budget;
};

struct MovingArguments {
  double back, forward, dim, nanmode, ends, fill, forward_open;
  const double *times;
};

bool reach_valid(double v, bool times) {
  return v >= 0 && (times || !std::isfinite(v) || v == std::floor(v));
}

// The results of a call the gateway accepted, by the slow references; empty when they would
// cost too much.
std::vector<double> fixed_reference(const std::vector<double> &x, const Layout &l,
                                    const FixedArguments &a) {
  const int64_t W2 = static_cast<int64_t>((a.w - 1) / 2);
  const double cost = (static_cast<double>(x.size()) + l.stride * l.outer * a.w) * a.w;
  if (a.w > 4097 || cost > 1e7) return {};
  const Padding paddings[] = {kConstantPadding, kReplicatePadding, kSymmetricPadding,
                              kPeriodicPadding};
  return per_signal(x, l.length, l.stride, l.outer, [&](const std::vector<double> &signal) {
    return reference_filter_signal(signal, static_cast<int32_t>(W2),
                                   paddings[static_cast<int>(a.padding)], a.fill, a.nanmode == 0,
                                   mxGetNaN());
  });
}

std::vector<double> moving_reference(const std::vector<double> &x, const Layout &l,
                                     const MovingArguments &a) {
  MovingWindows w = {};
  w.times = a.times;
  w.back = a.times ? 0 : static_cast<int64_t>(std::min(a.back, 0x1p53));
  w.forward = a.times ? 0 : static_cast<int64_t>(std::min(a.forward, 0x1p53));
  w.time_back = a.back;
  w.time_forward = a.forward;
  w.forward_open = a.forward_open == 1;
  w.padded = a.ends == 1;
  w.fill = a.fill;
  w.omit_nan = a.nanmode == 1;
  const double padding = w.padded ? static_cast<double>(w.back) + w.forward : 0;
  if (padding > 4096 || static_cast<double>(x.size()) * (l.length + padding) > 1e6) return {};
  return per_signal(x, l.length, l.stride, l.outer, [&](const std::vector<double> &signal) {
    std::vector<double> m(signal.size());
    for (size_t i = 0; i < m.size(); ++i) {
      m[i] = reference_moving_statistic(signal, w, median_statistic(), static_cast<int64_t>(i));
    }
    return m;
  });
}

// The expected results in class T, read back as doubles: a moving median of integers rounds
// halves away from zero and gives 0 for NaN.
std::vector<double> as_class(const std::vector<double> &expected, SampleType type) {
  std::vector<double> v(expected.size());
  with_type(type, [&](auto zero, bool) {
    for (size_t i = 0; i < v.size(); ++i) {
      v[i] = static_cast<double>(held<decltype(zero)>(expected[i], false));
    }
  });
  return v;
}

// Whether y holds the expected results: bit for bit in the fixed-window mode (every output is a
// sample, the padding or the host's NaN), as values in the moving mode (its zeros and NaN come
// from a sort and a mean).
bool matches(const mxArray *y, SampleType y_type, const std::vector<double> &expected,
             bool bitwise) {
  const std::vector<double> got = values_of(y, y_type), want = as_class(expected, y_type);
  if (bitwise) return same_bits(want, got);
  for (size_t i = 0; i < got.size(); ++i) {
    if (!same_result(want[i], got[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in = {data, size};
  const uint8_t mode = take_byte(in) % 8;
  const uint8_t results = take_byte(in) % 8;
  const int nlhs = results == 0 ? 2 : results == 1 ? 0 : 1;
  const bool moving = mode >= 4 && mode < 7;

  Call call;
  bool named = false;
  if (moving) {
    const char *names[] = {"moving", "moving", "moving", "Moving", "movin"};
    const uint8_t b = take_byte(in) % 5;
    named = b < 3;
    call.args.push_back(mxCreateString(names[b]));
  }
  mxArray *x = take_signal(in);
  call.args.push_back(x);
  SampleType type = kDoubleSamples;
  const bool numeric = sample_type(x, &type) && !mxIsComplex(x);
  call.valid = numeric;

  FixedArguments f = {};
  MovingArguments m = {};
  Layout layout;
  if (moving) {
    m.back = take_scalar(in, kReaches, call);
    m.forward = take_scalar(in, kReaches, call);
    m.dim = take_scalar(in, kDims, call);
    m.nanmode = take_scalar(in, kSwitches, call);
    m.ends = take_scalar(in, kSwitches, call);
    m.fill = take_fill(in, numeric, type, call);
    layout = layout_along(x, call.valid ? m.dim : 1);
    m.times = take_times(in, layout.length, call);
    m.forward_open = take_scalar(in, kSwitches, call);
    take_scalar(in, kThreads, call);
    const bool times = m.times != nullptr;
    call.valid = call.valid && reach_valid(m.back, times) && reach_valid(m.forward, times) &&
                 !(times && m.ends == 1);
  } else {
    f.w = take_scalar(in, kWindows, call);
    mxArray *window = call.args.back();
    f.padding = take_scalar(in, kPaddings, call);
    f.fill = take_fill(in, numeric, type, call);
    f.dim = take_scalar(in, kDims, call);
    f.nanmode = take_scalar(in, kSwitches, call);
    const double block = take_scalar(in, kBlocks, call);
    take_scalar(in, kThreads, call);
    f.budget = take_scalar(in, kBudgets, call);
    // The stand-in obtains whatever the budget allows: keep a huge window's within memory.
    if (f.budget > 0x1p28 && f.w > 0x1p24) *mxGetPr(call.args.back()) = f.budget = 0x1p27;
    // Windows selected one by one cost a window each: those of blocks of fewer than 8 outputs,
    // and those holding a NaN. Keep such a call within a second under the sanitizers (a window
    // of 65537 over 201 outputs took 5-10 s here, longer than the timeout on a loaded machine).
    const bool one_by_one = block < 8 || f.fill != f.fill || (numeric && holds_nan(x, type));
    const double cost = static_cast<double>(mxGetNumberOfElements(x)) * f.w;
    if (one_by_one && f.w > 101 && f.w < 0x1p31 && cost > 4e6) {
      *mxGetPr(window) = f.w = 101;  // a valid window stays valid
    }
    layout = layout_along(x, call.valid ? f.dim : 1);
  }
  if (mode == 7) {  // any other count: arguments dropped or added
    const size_t count = take_byte(in) % 13;
    while (call.args.size() > count) {
      mxDestroyArray(call.args.back());
      call.args.pop_back();
    }
    while (call.args.size() < count) call.args.push_back(scalar(1));
  }
  // Name-value pairs may follow the arguments of a mode; the scalars added above name none.
  const int nrhs = static_cast<int>(call.args.size());
  const int arguments = nrhs >= 11 && named ? 11 : 9;
  const bool usage = nrhs < arguments || (nrhs - arguments) % 2 != 0 || nlhs > 1;
  if (nrhs > arguments) call.valid = false;

  std::vector<std::vector<uint8_t>> before;
  for (mxArray *a : call.args) before.push_back(data_bytes(a));
  const long arrays_before = standin_live_arrays();
  mxArray *plhs[2] = {nullptr, nullptr};
  std::vector<const mxArray *> prhs(call.args.begin(), call.args.end());
  const bool raised = standin_call(mexFunction, nlhs, plhs, nrhs, prhs.data()) != 0;

  if (standin_live_allocations() != 0) std::abort();
  if (standin_live_arrays() - arrays_before != (raised ? 0 : 1)) std::abort();
  for (size_t i = 0; i < call.args.size(); ++i) {
    if (data_bytes(call.args[i]) != before[i]) std::abort();
  }
  if (raised) {
    const std::string id = standin_last_error_id();
    if (id.rfind("plorvent_filter:", 0) != 0 || (id == "plorvent_filter:usage") != usage) {
      std::abort();
    }
    // Arguments all in range: only a call whose work memory exceeds a small budget, or a window
    // whose exact result needs more than the budget, or moving medians of 64-bit integers that
    // doubles would round, may be refused.
    const bool too_long = !moving && id == "plorvent_filter:windowTooLong" &&
                          (f.budget < 0x1p20 || (f.w > layout.length && f.budget < 8 * f.w));
    const bool rounded = moving && id == "plorvent_filter:invalidInput" && beyond_doubles(x, type);
    if (!usage && call.valid && !too_long && !rounded) std::abort();
  } else {
    if (usage || !call.valid) std::abort();
    const mxArray *y = plhs[0];
    const SampleType y_type = moving && type == kLogicalSamples ? kDoubleSamples : type;
    SampleType got_type;
    if (!sample_type(y, &got_type) || got_type != y_type ||
        mxGetNumberOfDimensions(y) != mxGetNumberOfDimensions(x) ||
        std::memcmp(mxGetDimensions(y), mxGetDimensions(x),
                    sizeof(mwSize) * mxGetNumberOfDimensions(x)) != 0) {
      std::abort();
    }
    if (!beyond_doubles(x, type)) {
      const std::vector<double> xs = values_of(x, type);
      const std::vector<double> expected =
          moving ? moving_reference(xs, layout, m) : fixed_reference(xs, layout, f);
      if (!expected.empty() && !matches(y, y_type, expected, !moving)) std::abort();
    }
    mxDestroyArray(plhs[0]);
  }
  for (mxArray *a : call.args) mxDestroyArray(a);
  return 0;
}
