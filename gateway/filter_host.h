// What plorvent_filter's gateway asks of its host. The argument checks, the job planning and the
// run live once, in plorvent_filter_gateway.cpp; each host's entry is a thin adapter that shows
// it the arguments, makes the results and raises the errors: a MEX function (MATLAB, Windows) in
// plorvent_filter_mex.cpp, and for GNU Octave a native function in plorvent_filter_octave.cpp,
// whose results are Octave's own arrays, handed back without a copy.
#ifndef PLORVENT_GATEWAY_FILTER_HOST_H
#define PLORVENT_GATEWAY_FILTER_HOST_H

#include <cstdint>

#include "core/jobs/sample_types.h"

// An argument as the host holds it, read in place (nothing is copied).
struct HostArgument {
  bool samples;  // a numeric or logical array, of class `type`
  SampleType type;
  bool characters;  // a character array, `char_bytes` bytes a character
  int32_t char_bytes;
  bool complex;
  bool sparse;
  int64_t count;      // its elements
  const void *data;   // the (real parts of the) elements
  int64_t ndim;       // its number of sizes, at least two
  const void *dims;   // its sizes, as the host holds them: whole numbers of `dim_bytes` bytes
  int32_t dim_bytes;  // (4 or 8; a size is never negative)
};

// More arguments than any call takes: a call with more is refused before they are read.
const int kMostHostArguments = 32;

// The size of `a` along dimension d (0-based, d < a->ndim).
inline int64_t host_size(const HostArgument *a, int64_t d) {
  if (a->dim_bytes == 4) return static_cast<const int32_t *>(a->dims)[d];
  return static_cast<const int64_t *>(a->dims)[d];
}

// Where an adapter keeps the results it makes; each adapter defines it.
struct HostResults;

// The work of one call: nlhs results asked for, arguments args[0 .. nrhs-1] (an adapter need
// show no more than kMostHostArguments of them).
void plorvent_filter_call(int nlhs, int nrhs, const HostArgument *const args[],
                          HostResults *results);

// Raises the error `id` with a printf-style message through the adapter (raise_host_message);
// does not return. Defined once, by the gateway.
[[noreturn]] void raise_host_error(const char *id, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// ---- Provided by each host's adapter ----

// Raises the error `id` with the message `message` as it stands; does not return. Nothing on the
// gateway's path to it owns anything that needs releasing.
[[noreturn]] void raise_host_message(const char *id, const char *message);

// Makes result `index`: an array of `like`'s size, except `length` long along dimension dim
// (1-based; past `like`'s dimensions the size stays), of class `type`. Returns its elements,
// which the work fills.
void *new_host_result(HostResults *results, int32_t index, const HostArgument *like, double dim,
                      int64_t length, SampleType type);

// The host's own NaN, the value of outputs whose window holds one.
double host_nan();

// Watches for the host's Ctrl-C while the work runs, and after it says whether one stopped the
// work (the host's pending interrupt is then cleared).
void watch_host_interruption_during_work();
bool work_was_interrupted();

#endif
