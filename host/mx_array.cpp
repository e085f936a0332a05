// Stand-in libmx: host arrays of any class and shape, the host allocator with live accounting,
// and the error jump shared with libmex.
#define STANDIN_BUILDING_LIBMX
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "standin_host.h"

struct mxArray_tag {
  mxClassID cls;
  bool sparse;
  std::vector<mwSize> dims;
  void *real;
  void *imag;
};

namespace {

std::unordered_set<void *> &live_blocks() {
  static std::unordered_set<void *> blocks;
  return blocks;
}
long live_array_count = 0;
long allocations_made = 0;
std::jmp_buf *error_target = nullptr;
std::string last_id;
std::string last_message;

size_t element_size(mxClassID cls) {
  switch (cls) {
    case mxDOUBLE_CLASS:
    case mxINT64_CLASS:
    case mxUINT64_CLASS:
      return 8;
    case mxSINGLE_CLASS:
    case mxINT32_CLASS:
    case mxUINT32_CLASS:
      return 4;
    case mxINT16_CLASS:
    case mxUINT16_CLASS:
    case mxCHAR_CLASS:
      return 2;
    case mxINT8_CLASS:
    case mxUINT8_CLASS:
    case mxLOGICAL_CLASS:
      return 1;
    default:
      return sizeof(void *);  // cells and structs hold handles
  }
}

size_t count_of(const std::vector<mwSize> &dims) {
  size_t n = 1;
  for (mwSize d : dims) n *= static_cast<size_t>(d);
  return n;
}

// In 32-bit-compatible mode sizes are int; the host refuses a negative one rather than taking it
// as a huge count.
void require_size(mwSize d) {
  if (static_cast<long long>(d) < 0) {
    standin_raise("MATLAB:negativeDimension", "Negative dimension.");
  }
}

// Array data lives outside the mxCalloc accounting: it belongs to the host, not to a module.
void *zeroed_data(size_t count, size_t size) {
  return std::calloc(count ? count : 1, size);
}

// Sizes are checked before anything is held, and the shape moves into the array, so that a raised
// error (a longjmp, which runs no destructor here) leaks nothing.
mxArray *new_array(mxClassID cls, size_t ndim, const mwSize *sizes, bool complex, bool sparse) {
  for (size_t d = 0; d < ndim; ++d) require_size(sizes[d]);
  std::vector<mwSize> dims(sizes, sizes + ndim);
  while (dims.size() > 2 && dims.back() == 1) dims.pop_back();
  while (dims.size() < 2) dims.push_back(dims.empty() ? 0 : 1);
  const size_t count = sparse ? 1 : count_of(dims);
  const size_t size = element_size(cls);
  mxArray *a = new mxArray_tag{cls, sparse, std::move(dims), zeroed_data(count, size),
                               complex ? zeroed_data(count, size) : nullptr};
  ++live_array_count;
  if (a->real == nullptr || (complex && a->imag == nullptr)) {
    mxDestroyArray(a);
    standin_raise("MATLAB:nomem", "Out of memory.");
  }
  return a;
}

mxArray *new_matrix(mxClassID cls, mwSize m, mwSize n, bool complex, bool sparse) {
  const mwSize dims[2] = {m, n};
  return new_array(cls, 2, dims, complex, sparse);
}

}  // namespace

extern "C" {

void standin_set_error_target(void *jump_buffer) {
  error_target = static_cast<std::jmp_buf *>(jump_buffer);
}

void standin_raise(const char *id, const char *message) {
  last_id = id ? id : "";
  last_message = message ? message : "";
  if (error_target == nullptr) std::abort();  // an error outside any call: the host would die
  std::longjmp(*error_target, 1);
}

const char *standin_last_error_id(void) {
  return last_id.c_str();
}
const char *standin_last_error_message(void) {
  return last_message.c_str();
}

void *mxCalloc(size_t n, size_t size) {
  void *p = std::calloc(n ? n : 1, size ? size : 1);
  if (p == nullptr) standin_raise("MATLAB:nomem", "Out of memory.");
  live_blocks().insert(p);
  ++allocations_made;
  return p;
}

void mxFree(void *ptr) {
  if (ptr == nullptr) return;
  if (live_blocks().erase(ptr) == 0) std::abort();  // freeing what mxCalloc never gave
  std::free(ptr);
}

long standin_live_allocations(void) {
  return static_cast<long>(live_blocks().size());
}
long standin_allocations_made(void) {
  return allocations_made;
}
long standin_live_arrays(void) {
  return live_array_count;
}

size_t mxGetM(const mxArray *a) {
  return static_cast<size_t>(a->dims[0]);
}
size_t mxGetN(const mxArray *a) {  // all trailing dimensions folded into columns
  return count_of(std::vector<mwSize>(a->dims.begin() + 1, a->dims.end()));
}
size_t mxGetNumberOfElements(const mxArray *a) {
  return count_of(a->dims);
}
mwSize mxGetNumberOfDimensions(const mxArray *a) {
  return static_cast<mwSize>(a->dims.size());
}
const mwSize *mxGetDimensions(const mxArray *a) {
  return a->dims.data();
}
mxClassID mxGetClassID(const mxArray *a) {
  return a->cls;
}
bool mxIsDouble(const mxArray *a) {
  return a->cls == mxDOUBLE_CLASS;
}
bool mxIsComplex(const mxArray *a) {
  return a->imag != nullptr;
}
bool mxIsSparse(const mxArray *a) {
  return a->sparse;
}
double *mxGetPr(const mxArray *a) {
  return static_cast<double *>(a->real);
}
double mxGetNaN(void) {
  return std::numeric_limits<double>::quiet_NaN();
}

double *mxGetPi(const mxArray *a) {
  return static_cast<double *>(a->imag);
}
void *mxGetData(const mxArray *a) {
  return a->real;
}

mxArray *mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity complexity) {
  return new_matrix(mxDOUBLE_CLASS, m, n, complexity == mxCOMPLEX, false);
}

mxArray *mxCreateNumericArray(mwSize ndim, const mwSize *dims, mxClassID cls,
                              mxComplexity complexity) {
  require_size(ndim);
  return new_array(cls, static_cast<size_t>(ndim), dims, complexity == mxCOMPLEX, false);
}

mxArray *mxCreateLogicalArray(mwSize ndim, const mwSize *dims) {
  require_size(ndim);
  return new_array(mxLOGICAL_CLASS, static_cast<size_t>(ndim), dims, false, false);
}

mxArray *mxCreateSparse(mwSize m, mwSize n, mwSize, mxComplexity complexity) {
  return new_matrix(mxDOUBLE_CLASS, m, n, complexity == mxCOMPLEX, true);
}

mxArray *mxCreateString(const char *text) {
  const size_t len = std::strlen(text);
  mxArray *a = new_matrix(mxCHAR_CLASS, 1, static_cast<mwSize>(len), false, false);
  for (size_t i = 0; i < len; ++i) static_cast<unsigned short *>(a->real)[i] = text[i];
  return a;
}

mxArray *mxCreateCellMatrix(mwSize m, mwSize n) {
  return new_matrix(mxCELL_CLASS, m, n, false, false);
}

mxArray *mxCreateStructMatrix(mwSize m, mwSize n, int, const char **) {
  return new_matrix(mxSTRUCT_CLASS, m, n, false, false);
}

void mxSetM(mxArray *a, mwSize m) {
  require_size(m);
  a->dims[0] = m;
}
void mxSetN(mxArray *a, mwSize n) {
  require_size(n);
  a->dims.resize(2);
  a->dims[1] = n;
}

void mxDestroyArray(mxArray *a) {
  if (a == nullptr) return;
  std::free(a->real);
  std::free(a->imag);
  --live_array_count;
  delete a;
}

}  // extern "C"
