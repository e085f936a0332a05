// Writes the reference cases file of plorvent_filter: arrays of every class, filtered along each
// of their dimensions with every padding and both NaN modes; windows longer than the signals, up
// to 2^31-1 samples; inputs large enough for several worker threads, run with several thread
// counts that must all give the same bits. Each case is run through this build's mexFunction by
// the stand-in host; the Windows test host replays the file against the Windows module.
//
// File layout, native byte order: the 8 bytes "PLVFLT01", a uint64 case count, then per case
//   - a uint64 name length and the name;
//   - uint64 class (the host's class number), uint64 number of dimensions, that many uint64 sizes;
//   - the doubles w, padding, fill, dim, nanmode, blocksize and budget;
//   - a uint64 count of thread counts, and that many doubles, each given as threads in turn;
//   - x's elements, then the result's (of x's class and size, the same for every thread count),
//     each stored as its class stores it: 8 bytes for double, int64 and uint64, 4 for single,
//     int32 and uint32, 2 for int16 and uint16, 1 for int8, uint8 and logical.
// A result NaN of nanmode 0 is this host's mxGetNaN (converted to single for single); another
// host's is its own.
// Usage: reference_filter_medians OUTPUT_FILE
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "reference_cases.h"
#include "standin_host.h"
#include "test_support.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// The arguments after x, in the module's order, but for threads.
struct Arguments {
  double w, padding, fill, dim, nanmode, blocksize, budget;
};

struct FilterCase {
  std::string name;
  mxClassID cls;
  std::vector<mwSize> dims;
  Arguments arguments;
  std::vector<double> threads;
  Bytes x, expected;
};

const double kLongestWindow = 2147483647.0;

// ---- Samples of every class ----

template <class T>
T from_bits(uint64_t bits) {
  T v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// NaN of several signs and payloads, a signalling one among them: in nanmode 1 a window's NaN
// is a sample's, bits and all.
double double_sample(Random &random) {
  const uint64_t nans[] = {0x7FF8000000000000ull, 0xFFF8000000000000ull, 0x7FF800000000BEEFull,
                           0x7FF4000000000000ull};
  const double v = mixed_sample(random);
  return v == v ? v : from_bits<double>(nans[random.next() % 4]);
}

float single_sample(Random &random) {
  const uint32_t nans[] = {0x7FC00000u, 0xFFC00000u, 0x7FC0BEEFu, 0x7FA00000u};
  const double v = mixed_sample(random);
  return v == v ? static_cast<float>(v) : from_bits<float>(nans[random.next() % 4]);
}

// The class's extremes, ties of small values, neighbours that differ in the lowest bit only
// (beyond 2^53 for 64-bit classes), and values from all over the range.
template <class T>
T sample(Random &random) {
  const uint64_t r = random.next();
  const T small = static_cast<T>((r >> 40) % 7);
  switch (r % 8) {
    case 0:
      return std::numeric_limits<T>::min();
    case 1:
      return std::numeric_limits<T>::max();
    case 2:
    case 3:
      return std::numeric_limits<T>::is_signed ? static_cast<T>(small - 3) : small;
    case 4:
      return static_cast<T>(std::numeric_limits<T>::max() / 2 + small % 3);
    default:
      return static_cast<T>(r >> 8);
  }
}

template <>
double sample<double>(Random &random) {
  return double_sample(random);
}
template <>
float sample<float>(Random &random) {
  return single_sample(random);
}
struct Logical {};  // one byte each, 0 or 1

template <class T>
Bytes samples_of(Random &random, size_t count) {
  Bytes bytes(count * sizeof(T));
  for (size_t i = 0; i < count; ++i) {
    const T v = sample<T>(random);
    std::memcpy(&bytes[i * sizeof(T)], &v, sizeof v);
  }
  return bytes;
}
template <>
Bytes samples_of<Logical>(Random &random, size_t count) {
  Bytes bytes(count);
  for (unsigned char &b : bytes) b = random.next() % 2;
  return bytes;
}

// Paddings a class holds exactly: zero, its extremes (the largest double under a 64-bit class's
// maximum), and NaN and an infinity for floating point.
template <class T>
std::vector<double> fills_of() {
  const double most = static_cast<double>(std::numeric_limits<T>::max());
  return {0.0, static_cast<double>(std::numeric_limits<T>::min()),
          sizeof(T) == 8 ? std::nextafter(most, 0.0) : most};
}
template <>
std::vector<double> fills_of<double>() {
  return {-0.0, kNaN, -kInf, 2.5};
}
template <>
std::vector<double> fills_of<float>() {
  return {0.0, kNaN, kInf, -2.5};
}
template <>
std::vector<double> fills_of<Logical>() {
  return {0.0, 1.0};
}

struct SampleClass {
  mxClassID cls;
  const char *name;
  Bytes (*draw)(Random &, size_t);
  std::vector<double> fills;
};

template <class T>
SampleClass sample_class(mxClassID cls, const char *name) {
  return {cls, name, samples_of<T>, fills_of<T>()};
}

const std::vector<SampleClass> &all_classes() {
  static const std::vector<SampleClass> classes = {
      sample_class<double>(mxDOUBLE_CLASS, "double"),
      sample_class<float>(mxSINGLE_CLASS, "single"),
      sample_class<int8_t>(mxINT8_CLASS, "int8"),
      sample_class<uint8_t>(mxUINT8_CLASS, "uint8"),
      sample_class<int16_t>(mxINT16_CLASS, "int16"),
      sample_class<uint16_t>(mxUINT16_CLASS, "uint16"),
      sample_class<int32_t>(mxINT32_CLASS, "int32"),
      sample_class<uint32_t>(mxUINT32_CLASS, "uint32"),
      sample_class<int64_t>(mxINT64_CLASS, "int64"),
      sample_class<uint64_t>(mxUINT64_CLASS, "uint64"),
      sample_class<Logical>(mxLOGICAL_CLASS, "logical"),
  };
  return classes;
}

const SampleClass &class_named(const char *name) {
  for (const SampleClass &c : all_classes()) {
    if (std::strcmp(c.name, name) == 0) return c;
  }
  std::abort();
}

// ---- Cases ----

size_t count_of(const std::vector<mwSize> &dims) {
  size_t n = 1;
  for (mwSize d : dims) n *= static_cast<size_t>(d);
  return n;
}

// A case with fresh samples of the class, on one thread.
FilterCase make_case(Random &random, const SampleClass &c, std::vector<mwSize> dims,
                     const Arguments &a) {
  FilterCase f;
  f.name = c.name;
  for (size_t d = 0; d < dims.size(); ++d) f.name += (d ? "x" : " ") + std::to_string(dims[d]);
  char arguments[200];
  std::snprintf(arguments, sizeof arguments,
                ", w=%.0f, padding %.0f, fill %g, dim %.0f, nanmode %.0f, blocksize %.0f", a.w,
                a.padding, a.fill, a.dim, a.nanmode, a.blocksize);
  f.name += arguments;
  f.cls = c.cls;
  f.dims = std::move(dims);
  f.x = c.draw(random, count_of(f.dims));
  f.arguments = a;
  f.threads = {1};
  return f;
}

// Every class, along each dimension of a 7x5x4 array and one beyond, with every padding and
// both NaN modes; windows of 1 to 13 samples, some longer than the signals.
void add_every_class(Random &random, std::vector<FilterCase> *cases) {
  const double windows[] = {3, 5, 9, 13, 1};
  const double blocks[] = {1e6, 2, 3};
  int k = 0;
  for (const SampleClass &c : all_classes()) {
    for (double dim : {1, 2, 3, 4}) {
      for (double padding : {0, 1, 2, 3}) {
        for (double nanmode : {0, 1}) {
          if (dim == 4 && (padding > 0 || nanmode > 0)) continue;
          const double fill = c.fills[k % c.fills.size()];
          cases->push_back(
              make_case(random, c, {7, 5, 4},
                        {windows[k % 5], padding, fill, dim, nanmode, blocks[k % 3], kInf}));
          ++k;
        }
      }
    }
  }
}

// Windows far longer than the signals: counted, never held. With zeros of both signs or NaN in
// nanmode 1, such a window is selected in a window of its own, which the budget must allow
// besides the count's storage.
void add_long_windows(Random &random, std::vector<FilterCase> *cases) {
  for (const char *cls : {"int64", "uint16", "logical", "double"}) {
    for (double padding : {0, 1, 2, 3}) {
      FilterCase f =
          make_case(random, class_named(cls), {9, 6}, {kLongestWindow, padding, 1, 1, 0, 1e6, 1e6});
      // No zeros of both signs: double keeps -0 only.
      if (f.cls == mxDOUBLE_CLASS) {
        double *x = reinterpret_cast<double *>(f.x.data());
        for (size_t i = 0; i < count_of(f.dims); ++i) x[i] = x[i] == 0 ? -0.0 : x[i];
      }
      cases->push_back(f);
    }
  }
  const double W = 262145;
  for (double padding : {0, 1, 2, 3}) {
    for (double nanmode : {0, 1}) {
      // The window selected whole and a little for counting the signal: enough.
      const double budget = nanmode == 1 ? W * sizeof(double) + 4096 : kInf;
      cases->push_back(make_case(random, class_named("double"), {24, 1},
                                 {W, padding, 0, 1, nanmode, 1e6, budget}));
    }
  }
}

// Signals of NaN, zeros of both signs and +-1 only, where the order of selection decides the
// bits; windows up to longer than the signal.
void add_nan_and_zeros(Random &random, std::vector<FilterCase> *cases) {
  int k = 0;
  for (double w : {3, 11, 4001}) {
    for (double nanmode : {0, 1}) {
      FilterCase f = make_case(random, class_named("double"), {3000, 1},
                               {w, static_cast<double>(k % 4), 0, 1, nanmode, 1e6, kInf});
      const std::vector<double> x = samples(random, 3000, nan_zero_one_sample);
      std::memcpy(f.x.data(), x.data(), f.x.size());
      f.name = "NaN, -0, 0, +-1 only: " + f.name;
      cases->push_back(f);
      ++k;
    }
  }
}

// 64-bit integers all within 2^53 in magnitude, which the module filters as doubles (not by their
// ranks), padded with 2^53.
void add_64_bit_within_doubles(Random &random, std::vector<FilterCase> *cases) {
  for (const char *cls : {"int64", "uint64"}) {
    FilterCase f = make_case(random, class_named(cls), {7, 5, 4}, {5, 0, 0x1p53, 2, 0, 3, kInf});
    for (size_t i = 0; i < f.x.size(); i += 8) {
      int64_t v;
      std::memcpy(&v, &f.x[i], 8);
      v = f.cls == mxINT64_CLASS ? v / 1024 : static_cast<int64_t>(static_cast<uint64_t>(v) >> 11);
      std::memcpy(&f.x[i], &v, 8);
    }
    cases->push_back(f);
  }
}

// Inputs of 300000 samples, on 1, 3 and 4 threads.
void add_large(Random &random, std::vector<FilterCase> *cases) {
  const struct {
    const char *cls;
    std::vector<mwSize> dims;
    Arguments arguments;
  } large[] = {
      {"double", {300000, 1}, {31, 0, -0.0, 1, 0, 1e6, kInf}},
      {"double", {300000, 1}, {31, 2, 0, 1, 1, 1e6, kInf}},
      {"single", {60, 50, 100}, {7, 2, 0, 2, 1, 16, kInf}},
      {"int64", {300, 1000}, {21, 3, 0, 1, 0, 1e6, kInf}},
      {"uint16", {1, 300000}, {2001, 1, 0, 2, 0, 1e6, kInf}},
  };
  for (const auto &l : large) {
    FilterCase f = make_case(random, class_named(l.cls), l.dims, l.arguments);
    f.threads = {1, 3, 4};
    f.name += ", threads 1, 3 and 4";
    cases->push_back(f);
  }
}

void add_empty(Random &random, std::vector<FilterCase> *cases) {
  cases->push_back(make_case(random, class_named("int16"), {0, 3}, {5, 1, 0, 1, 0, 1e6, kInf}));
  cases->push_back(make_case(random, class_named("double"), {3, 0, 2}, {3, 0, 0, 2, 0, 1e6, kInf}));
}

// ---- Running the module ----

mxArray *scalar(double value) {
  mxArray *a = mxCreateDoubleMatrix(1, 1, mxREAL);
  mxGetPr(a)[0] = value;
  return a;
}

// The result of one call; false after an error (reported).
bool run_module(const FilterCase &c, double threads, Bytes *result) {
  mxArray *x =
      mxCreateNumericArray(static_cast<mwSize>(c.dims.size()), c.dims.data(), c.cls, mxREAL);
  if (!c.x.empty()) std::memcpy(mxGetData(x), c.x.data(), c.x.size());
  const Arguments &a = c.arguments;
  const mxArray *prhs[9] = {x,
                            scalar(a.w),
                            scalar(a.padding),
                            scalar(a.fill),
                            scalar(a.dim),
                            scalar(a.nanmode),
                            scalar(a.blocksize),
                            scalar(threads),
                            scalar(a.budget)};
  mxArray *plhs[1] = {nullptr};
  const bool ok = standin_call(mexFunction, 1, plhs, 9, prhs) == 0;
  if (ok) {
    const unsigned char *y = static_cast<const unsigned char *>(mxGetData(plhs[0]));
    result->assign(y, y + c.x.size());
  } else {
    std::fprintf(stderr, "%s: %s\n", c.name.c_str(), standin_last_error_message());
  }
  mxDestroyArray(plhs[0]);
  for (const mxArray *a : prhs) mxDestroyArray(const_cast<mxArray *>(a));
  return ok;
}

// The result on every thread count, which must be the same bits.
bool run_case(FilterCase &c) {
  for (double threads : c.threads) {
    Bytes result;
    if (!run_module(c, threads, &result)) return false;
    if (threads != c.threads[0] && result != c.expected) {
      std::fprintf(stderr, "%s: threads = %.0f gives other results\n", c.name.c_str(), threads);
      return false;
    }
    c.expected = result;
  }
  return true;
}

bool write_cases(const char *path, const std::vector<FilterCase> &cases) {
  using namespace reference_file;
  std::FILE *f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite("PLVFLT01", 1, 8, f) == 8 && put_count(f, cases.size());
  for (const FilterCase &c : cases) {
    ok = ok && put_count(f, c.name.size()) &&
         std::fwrite(c.name.data(), 1, c.name.size(), f) == c.name.size();
    ok = ok && put_count(f, static_cast<uint64_t>(c.cls)) && put_count(f, c.dims.size());
    for (mwSize d : c.dims) ok = ok && put_count(f, static_cast<uint64_t>(d));
    const Arguments &a = c.arguments;
    ok = ok && put_doubles(f, {a.w, a.padding, a.fill, a.dim, a.nanmode, a.blocksize, a.budget});
    ok = ok && put_count(f, c.threads.size()) && put_doubles(f, c.threads);
    ok = ok && std::fwrite(c.x.data(), 1, c.x.size(), f) == c.x.size() &&
         std::fwrite(c.expected.data(), 1, c.expected.size(), f) == c.expected.size();
  }
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
    return 2;
  }
  Random random{20250117};
  std::vector<FilterCase> cases;
  add_every_class(random, &cases);
  add_nan_and_zeros(random, &cases);
  add_long_windows(random, &cases);
  add_64_bit_within_doubles(random, &cases);
  add_large(random, &cases);
  add_empty(random, &cases);
  for (FilterCase &c : cases) {
    if (!run_case(c)) return 1;
  }
  if (!write_cases(argv[1], cases)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("wrote %zu plorvent_filter reference cases to %s\n", cases.size(), argv[1]);
  return 0;
}
