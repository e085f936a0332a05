// Compile-only check: every host function the modules call is declared by the stand-in's headers
// with the host's published type, written out here independently of them, and resolves to the
// entry the host maps its name to in the mode being compiled (MX_COMPAT_32: the `_700` entries
// with int sizes; otherwise the `_730` entries with size_t). A module compiled against a wrong
// declaration reads registers the host's library never defined (the upper bits of a bool in
// EAX, the upper half of an int size) or calls an entry with other argument widths; here such a
// declaration stops the compile, naming the function.
#include <cstddef>
#include <type_traits>

#include "mex.h"

namespace {

#ifdef MX_COMPAT_32
using PublishedSize = int;
#define VERSIONED_ENTRY(name_text) name_text "_700"
#else
using PublishedSize = size_t;
#define VERSIONED_ENTRY(name_text) name_text "_730"
#endif

constexpr bool same_text(const char *a, const char *b) {
  return *a == *b && (*a == '\0' || same_text(a + 1, b + 1));
}

// The name a call in a module's source is linked to, after the header's mappings.
#define LINKED_NAME(name) LINKED_NAME_TEXT(name)
#define LINKED_NAME_TEXT(name) #name

#define EXPECT_TYPE(name, ...)                                     \
  static_assert(std::is_same<decltype(&name), __VA_ARGS__>::value, \
                #name ": declared type is not the published " #__VA_ARGS__)
#define EXPECT_UNVERSIONED(name) \
  static_assert(same_text(LINKED_NAME(name), #name), #name " must not be mapped to another entry")
#define EXPECT_VERSIONED(name)                                        \
  static_assert(same_text(LINKED_NAME(name), VERSIONED_ENTRY(#name)), \
                #name " must resolve to " VERSIONED_ENTRY(#name))

// The same in both modes.
EXPECT_TYPE(mexFunction, void (*)(int, mxArray *[], int, const mxArray *[]));
EXPECT_TYPE(mexErrMsgTxt, void (*)(const char *));
EXPECT_TYPE(mexErrMsgIdAndTxt, void (*)(const char *, const char *, ...));
EXPECT_TYPE(mxCalloc, void *(*)(size_t, size_t));
EXPECT_TYPE(mxFree, void (*)(void *));
EXPECT_TYPE(mxGetNaN, double (*)(void));
EXPECT_TYPE(mxGetM, size_t (*)(const mxArray *));
EXPECT_TYPE(mxGetN, size_t (*)(const mxArray *));
EXPECT_TYPE(mxGetNumberOfElements, size_t (*)(const mxArray *));
EXPECT_TYPE(mxGetClassID, mxClassID (*)(const mxArray *));
EXPECT_TYPE(mxIsDouble, bool (*)(const mxArray *));
EXPECT_TYPE(mxIsComplex, bool (*)(const mxArray *));
EXPECT_TYPE(mxIsSparse, bool (*)(const mxArray *));
EXPECT_TYPE(mxGetPr, double *(*)(const mxArray *));
EXPECT_TYPE(mxGetPi, double *(*)(const mxArray *));
EXPECT_TYPE(mxGetData, void *(*)(const mxArray *));
EXPECT_TYPE(mxCreateString, mxArray *(*)(const char *));
EXPECT_TYPE(mxDestroyArray, void (*)(mxArray *));
EXPECT_UNVERSIONED(mexErrMsgTxt);
EXPECT_UNVERSIONED(mexErrMsgIdAndTxt);
EXPECT_UNVERSIONED(mxCalloc);
EXPECT_UNVERSIONED(mxFree);
EXPECT_UNVERSIONED(mxGetNaN);
EXPECT_UNVERSIONED(mxGetM);
EXPECT_UNVERSIONED(mxGetN);
EXPECT_UNVERSIONED(mxGetNumberOfElements);
EXPECT_UNVERSIONED(mxGetClassID);
EXPECT_UNVERSIONED(mxIsDouble);
EXPECT_UNVERSIONED(mxIsComplex);
EXPECT_UNVERSIONED(mxIsSparse);
EXPECT_UNVERSIONED(mxGetPr);
EXPECT_UNVERSIONED(mxGetPi);
EXPECT_UNVERSIONED(mxGetData);
EXPECT_UNVERSIONED(mxCreateString);
EXPECT_UNVERSIONED(mxDestroyArray);

// Sizes of the mode: int in the 32-bit-compatible one.
EXPECT_TYPE(mxGetNumberOfDimensions, PublishedSize (*)(const mxArray *));
EXPECT_TYPE(mxGetDimensions, const PublishedSize *(*)(const mxArray *));
EXPECT_TYPE(mxCreateDoubleMatrix, mxArray *(*)(PublishedSize, PublishedSize, mxComplexity));
EXPECT_TYPE(mxCreateLogicalArray, mxArray *(*)(PublishedSize, const PublishedSize *));
EXPECT_TYPE(mxCreateNumericArray,
            mxArray *(*)(PublishedSize, const PublishedSize *, mxClassID, mxComplexity));
EXPECT_TYPE(mxCreateSparse,
            mxArray *(*)(PublishedSize, PublishedSize, PublishedSize, mxComplexity));
EXPECT_TYPE(mxCreateCellMatrix, mxArray *(*)(PublishedSize, PublishedSize));
EXPECT_TYPE(mxCreateStructMatrix, mxArray *(*)(PublishedSize, PublishedSize, int, const char **));
EXPECT_TYPE(mxSetM, void (*)(mxArray *, PublishedSize));
EXPECT_TYPE(mxSetN, void (*)(mxArray *, PublishedSize));
EXPECT_VERSIONED(mxGetNumberOfDimensions);
EXPECT_VERSIONED(mxGetDimensions);
EXPECT_VERSIONED(mxCreateDoubleMatrix);
EXPECT_VERSIONED(mxCreateNumericArray);
EXPECT_VERSIONED(mxCreateLogicalArray);
EXPECT_VERSIONED(mxCreateSparse);
EXPECT_VERSIONED(mxCreateCellMatrix);
EXPECT_VERSIONED(mxCreateStructMatrix);
EXPECT_VERSIONED(mxSetM);
EXPECT_VERSIONED(mxSetN);

}  // namespace
