// Calling a module's gateway (the mexFunction linked into the test) as the host calls it, through
// the stand-in host: a call owns its arguments and results, and checks after the call that no
// buffer is still held, that only its results were created, and that the inputs are unchanged.
#ifndef PLORVENT_TESTS_HOST_CALL_H
#define PLORVENT_TESTS_HOST_CALL_H

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "standin_host.h"
#include "test_support.h"

inline mxArray *doubles(const std::vector<double> &values, std::vector<mwSize> dims = {},
                        mxComplexity complexity = mxREAL) {
  if (dims.empty()) dims = {1, static_cast<mwSize>(values.size())};
  mxArray *a = mxCreateNumericArray(static_cast<mwSize>(dims.size()), dims.data(), mxDOUBLE_CLASS,
                                    complexity);
  std::copy(values.begin(), values.end(), mxGetPr(a));
  return a;
}

// Double arrays whose data really holds what their size claims.
inline bool is_checkable(const mxArray *a) {
  return mxIsDouble(a) && !mxIsSparse(a) && mxGetNumberOfElements(a) < 1000000;
}

struct HostCall {
  static const int kMostResults = 4;
  std::vector<mxArray *> args;
  mxArray *results[kMostResults] = {};
  mxArray *result = nullptr;  // the first
  bool raised = false;

  explicit HostCall(std::vector<mxArray *> arguments, int nlhs = 1) : args(std::move(arguments)) {
    std::vector<std::vector<double>> before;
    for (mxArray *a : args) before.push_back(is_checkable(a) ? contents(a) : std::vector<double>{});
    const long arrays_before = standin_live_arrays();
    std::vector<const mxArray *> prhs(args.begin(), args.end());
    raised =
        standin_call(mexFunction, nlhs, results, static_cast<int>(prhs.size()), prhs.data()) != 0;
    result = results[0];
    EXPECT_EQ(standin_live_allocations(), 0);
    EXPECT_EQ(standin_live_arrays() - arrays_before, raised ? 0 : std::max(nlhs, 1));
    EXPECT_EQ(raised, result == nullptr);
    for (size_t i = 0; i < args.size(); ++i) {
      if (is_checkable(args[i])) {
        EXPECT_TRUE(same_bits(contents(args[i]), before[i])) << "arg " << i;
      }
    }
  }
  ~HostCall() {
    for (mxArray *a : args) mxDestroyArray(a);
    for (mxArray *r : results) mxDestroyArray(r);
  }
  std::string error_id() const { return standin_last_error_id(); }
};

#endif
