// plorvent_filter as a native GNU Octave module (plorvent_filter.oct): Octave's adapter for the
// shared gateway (gateway/filter_host.h). The arguments are shown to it in place and its results
// are Octave arrays it fills, handed back as they are: a MEX module's results are copied once more
// as it returns, which at n samples costs a result-sized array and its time.
//
// An error is raised by error_with_id, which unwinds this module by a C++ exception: the arrays
// and sizes below are owned by this call's objects and released on the way, and the shared
// gateway gives its work storage back before it raises anything.
#include <octave/oct-shlib.h>
#include <octave/oct.h>
#include <octave/parse.h>
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/jobs/moving_job.h"
#include "core/jobs/sample_types.h"
#include "gateway/filter_host.h"
#include "gateway/host_interruption.h"

// The Octave array of each class a call reads or makes, holding it (and so its elements) for as
// long as the call runs.
#define PLORVENT_OCTAVE_CLASSES(X)                                              \
  X(kDoubleSamples, NDArray, doubles, is_double_type, array_value)              \
  X(kSingleSamples, FloatNDArray, singles, is_single_type, float_array_value)   \
  X(kInt8Samples, int8NDArray, int8s, is_int8_type, int8_array_value)           \
  X(kUint8Samples, uint8NDArray, uint8s, is_uint8_type, uint8_array_value)      \
  X(kInt16Samples, int16NDArray, int16s, is_int16_type, int16_array_value)      \
  X(kUint16Samples, uint16NDArray, uint16s, is_uint16_type, uint16_array_value) \
  X(kInt32Samples, int32NDArray, int32s, is_int32_type, int32_array_value)      \
  X(kUint32Samples, uint32NDArray, uint32s, is_uint32_type, uint32_array_value) \
  X(kInt64Samples, int64NDArray, int64s, is_int64_type, int64_array_value)      \
  X(kUint64Samples, uint64NDArray, uint64s, is_uint64_type, uint64_array_value) \
  X(kLogicalSamples, boolNDArray, logicals, islogical, bool_array_value)

struct HeldArray {
#define PLORVENT_OCTAVE_MEMBER(kind, array, member, test, getter) array member;
  PLORVENT_OCTAVE_CLASSES(PLORVENT_OCTAVE_MEMBER)
#undef PLORVENT_OCTAVE_MEMBER
  charNDArray characters;
  std::vector<int64_t> dims;
};

struct HostResults {
  HeldArray arrays[kMostStatisticResults];
  SampleType types[kMostStatisticResults];
  int32_t count;
};

namespace {

const char kName[] = "plorvent_filter";

// How the gateway sees `a`, held in `held`: its class, sizes and elements. A complex or sparse
// array shows no elements, since the gateway refuses it before reading any.
void describe(const octave_value &a, HeldArray *held, HostArgument *view) {
  *view = HostArgument{};
  const dim_vector dims = a.dims();
  held->dims.assign(dims.ndims(), 0);
  for (int d = 0; d < dims.ndims(); ++d) held->dims[d] = dims(d);
  view->ndim = dims.ndims();
  view->dims = held->dims.data();
  view->dim_bytes = 8;
  view->count = a.numel();
  view->complex = a.iscomplex();
  view->sparse = a.issparse();
  if (a.is_string()) {
    view->characters = true;
    view->char_bytes = 1;
    held->characters = a.char_array_value();
    view->data = held->characters.data();
    return;
  }
  const bool readable = !view->complex && !view->sparse;
#define PLORVENT_OCTAVE_VIEW(kind, array, member, test, getter)                       \
  if (a.test()) {                                                                     \
    view->samples = true;                                                             \
    view->type = kind;                                                                \
    if (readable) held->member = a.getter();                                          \
    view->data = readable ? static_cast<const void *>(held->member.data()) : nullptr; \
    return;                                                                           \
  }
  PLORVENT_OCTAVE_CLASSES(PLORVENT_OCTAVE_VIEW)
#undef PLORVENT_OCTAVE_VIEW
}

// The held result as a value Octave holds: its array shared, not copied.
octave_value result_value(HeldArray *held, SampleType type) {
  switch (type) {
#define PLORVENT_OCTAVE_VALUE(kind, array, member, test, getter) \
  case kind:                                                     \
    return octave_value(held->member);
    PLORVENT_OCTAVE_CLASSES(PLORVENT_OCTAVE_VALUE)
#undef PLORVENT_OCTAVE_VALUE
  }
  return octave_value();
}

// The help of this module is its .m file's, beside the module (help-only there, it is never run
// while the module is on the path).
std::string help_beside(const octave::dynamic_library &library) {
  const std::string module = library.file_name();
  bool found = false;
  return octave::get_help_from_file(module.substr(0, module.rfind('.')) + ".m", found);
}

// Results of at least this many bytes are always fresh pages from the system (glibc maps
// anything of 32 MiB or more anew each time), which the kernel zeroes and maps on first touch.
const size_t kLeastFreshResultBytes = size_t{32} << 20;

// Asks the kernel to back a fresh result's whole 2 MiB pages with huge pages: one fault for each
// instead of 512. (Measured on a 4000x4000 double image's 3x3 median: the faults of 4 KiB pages
// took more than half the call.) A hint only: where huge pages are off it changes nothing.
void advise_huge_pages(void *data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const uintptr_t huge = uintptr_t{1} << 21;
  const uintptr_t start = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (start + huge - 1) & ~(huge - 1), end = (start + bytes) & ~(huge - 1);
  if (bytes >= kLeastFreshResultBytes && end > first) {
    madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
  }
#else
  (void)data;
  (void)bytes;
#endif
}

// An array of `dims` whose elements are left unset: the work fills every one, so that zeroing
// them first (as Octave's own constructors do) would only cost a pass over the result, made
// before the worker threads start. The array frees them with the allocator they came from.
template <class Array>
Array unset_array(const dim_vector &dims) {
  using Element = typename Array::element_type;
  std::allocator<Element> elements;
  const octave_idx_type count = dims.safe_numel();
  Element *data = elements.allocate(count);
  advise_huge_pages(data, static_cast<size_t>(count) * sizeof(Element));
  return Array(::Array<Element>(data, dims));
}

}  // namespace

void raise_host_message(const char *id, const char *message) {
  // Named as Octave names a module's errors, so that callers read the same text from any host.
  error_with_id(id, "%s: %s", kName, message);
}

void *new_host_result(HostResults *results, int32_t index, const HostArgument *like, double dim,
                      int64_t length, SampleType type) {
  dim_vector dims = dim_vector::alloc(static_cast<int>(like->ndim));
  for (int64_t d = 0; d < like->ndim; ++d) dims(d) = host_size(like, d);
  if (dim <= static_cast<double>(like->ndim)) dims(static_cast<int>(dim) - 1) = length;
  HeldArray *held = &results->arrays[index];
  results->types[index] = type;
  results->count = std::max(results->count, index + 1);
  switch (type) {
#define PLORVENT_OCTAVE_RESULT(kind, array, member, test, getter) \
  case kind:                                                      \
    held->member = unset_array<array>(dims);                      \
    return held->member.fortran_vec();
    PLORVENT_OCTAVE_CLASSES(PLORVENT_OCTAVE_RESULT)
#undef PLORVENT_OCTAVE_RESULT
  }
  return nullptr;
}

double host_nan() {
  return octave_NaN;
}

void watch_host_interruption_during_work() {
  watch_host_interruption();
}

bool work_was_interrupted() {
  return end_host_interruption_watch();
}

// The module as Octave loads it: the function, with its help read from the .m file beside it.
DECLARE_FUNX(Fplorvent_filter, args, nargout);

extern "C" OCTAVE_EXPORT octave_function *Gplorvent_filter(const octave::dynamic_library &library,
                                                           bool relative) {
  check_version(OCTAVE_API_VERSION, kName);
  octave_dld_function *function =
      octave_dld_function::create(Fplorvent_filter, library, kName, help_beside(library));
  if (relative) function->mark_relative();
  return function;
}

octave_value_list Fplorvent_filter(const octave_value_list &args, int nargout) {
  const int nrhs = args.length();
  const int shown = std::min(nrhs, kMostHostArguments);
  std::vector<HeldArray> held(shown);
  std::vector<HostArgument> views(shown);
  std::vector<const HostArgument *> pointers(shown);
  for (int k = 0; k < shown; ++k) {
    describe(args(k), &held[k], &views[k]);
    pointers[k] = &views[k];
  }
  HostResults results{};
  plorvent_filter_call(nargout, nrhs, pointers.data(), &results);
  octave_value_list values;
  for (int32_t r = 0; r < results.count; ++r) {
    values(r) = result_value(&results.arrays[r], results.types[r]);
  }
  return values;
}
