// The Windows module as the host runs it: loaded with LoadLibrary, its mexFunction found with
// GetProcAddress and called through the stand-in host's libmx.dll and libmex.dll, whose error
// calls leave the module across the DLL boundaries. Every call is checked for leaks, for inputs
// left unchanged and, when refused, for nothing of the module having run after the error call.
// Results of the Linux build, read from the reference cases file, are compared bit for bit.
// Usage: windows_host_test MODULE REFERENCE_FILE
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../reference_cases.h"
#include "../test_support.h"
#include "standin_host.h"

namespace {

const char kUsageMessage[] =
    "Incorrect number of parameters.\nSyntax: m = plorvent_core(x, xic, xfc, W2)";

standin_gateway module_gateway = nullptr;
int failures_in_case = 0;

void expect(bool ok, const std::string &what) {
  if (ok) return;
  ++failures_in_case;
  std::printf("    FAIL: %s\n", what.c_str());
}

mxArray *doubles(const std::vector<double> &values, mwSize rows, mwSize cols) {
  const mwSize dims[2] = {rows, cols};
  mxArray *a = mxCreateNumericArray(2, dims, mxDOUBLE_CLASS, mxREAL);
  for (size_t i = 0; i < values.size(); ++i) mxGetPr(a)[i] = values[i];
  return a;
}
mxArray *row(const std::vector<double> &values) {
  return doubles(values, 1, values.size());
}

// Double arrays whose data really holds what their size claims.
bool is_checkable(const mxArray *a) {
  return mxIsDouble(a) && !mxIsSparse(a) && mxGetNumberOfElements(a) < 10000000;
}

struct Outcome {
  bool raised = false;
  size_t rows = 0, cols = 0;
  std::vector<double> values;
  std::string id, message;
};

// One host call; takes ownership of the arguments and destroys them afterwards.
Outcome call_module(std::vector<mxArray *> args, int nlhs = 1) {
  std::vector<std::vector<double>> before;
  for (mxArray *a : args) before.push_back(is_checkable(a) ? contents(a) : std::vector<double>{});
  const long allocations_before = standin_allocations_made();
  const long arrays_before = standin_live_arrays();
  mxArray *plhs[2] = {nullptr, nullptr};
  std::vector<const mxArray *> prhs(args.begin(), args.end());

  Outcome out;
  out.raised =
      standin_call(module_gateway, nlhs, plhs, static_cast<int>(prhs.size()), prhs.data()) != 0;
  expect(standin_live_allocations() == 0, "every mxCalloc block given back");
  if (out.raised) {
    out.id = standin_last_error_id();
    out.message = standin_last_error_message();
    // Every refusal comes before the first allocation: any later code would have allocated.
    expect(standin_allocations_made() == allocations_before && plhs[0] == nullptr &&
               standin_live_arrays() == arrays_before,
           "nothing of the module ran after the error call (" + out.id + ")");
  } else {
    expect(plhs[0] != nullptr && standin_live_arrays() == arrays_before + 1,
           "exactly one result array created");
    if (plhs[0] != nullptr) {
      out.rows = mxGetM(plhs[0]);
      out.cols = mxGetN(plhs[0]);
      out.values = contents(plhs[0]);
    }
  }
  for (size_t i = 0; i < args.size(); ++i) {
    if (is_checkable(args[i])) {
      expect(same_bits(contents(args[i]), before[i]),
             "argument " + std::to_string(i) + " unchanged");
    }
    mxDestroyArray(args[i]);
  }
  mxDestroyArray(plhs[0]);
  return out;
}

void expect_column(const Outcome &out, const std::vector<double> &expected, const char *what) {
  expect(!out.raised, std::string(what) + ": no error (" + out.message + ")");
  expect(out.rows == expected.size() && out.cols == 1, std::string(what) + ": n-by-1 result");
  expect(same_bits(out.values, expected), std::string(what) + ": result bits");
}

std::vector<mxArray *> typical_args() {
  return {row({3, 1, 2, 5, 4}), row({0}), row({0}), row({1})};
}

void typical_call() {
  expect_column(call_module(typical_args()), {1, 2, 2, 4, 4}, "x = 3 1 2 5 4, W2 = 1");
}

void wrong_counts_raise_the_usage_message() {
  const struct { int nlhs, nrhs; } calls[] = {{1, 0}, {1, 3}, {1, 5}, {0, 4}, {2, 4}};
  for (const auto &call : calls) {
    std::vector<mxArray *> args = typical_args();
    while (static_cast<int>(args.size()) > call.nrhs) {
      mxDestroyArray(args.back());
      args.pop_back();
    }
    while (static_cast<int>(args.size()) < call.nrhs) args.push_back(row({0}));
    const Outcome out = call_module(args, call.nlhs);
    expect(out.raised && out.message == kUsageMessage,
           std::to_string(call.nlhs) + " results, " + std::to_string(call.nrhs) + " arguments");
  }
}

mxArray *single_row() {
  const mwSize dims[2] = {1, 5};
  return mxCreateNumericArray(2, dims, mxSINGLE_CLASS, mxREAL);
}
mxArray *claims_too_many_elements() {  // the data stays one element, as with the host's mxSetM
  mxArray *a = row({1});
  mxSetM(a, 65536);
  mxSetN(a, 32769);
  return a;
}

void each_refusal_carries_its_identifier() {
  const struct {
    std::vector<mxArray *> args;
    const char *id;
  } cases[] = {
      {{single_row(), row({0}), row({0}), row({1})}, "plorvent_core:notDouble"},
      {{row({1, 2}), row({0}), mxCreateSparse(1, 1, 1, mxREAL), row({1})}, "plorvent_core:sparse"},
      {{row({1, 2}), row({0}), row({0}), row({})}, "plorvent_core:emptyHalfWidth"},
      {{row({1, 2}), row({0}), row({0}), row({kNaN})}, "plorvent_core:nonFiniteHalfWidth"},
      {{row({1, 2}), row({0}), row({0}), row({-kInf})}, "plorvent_core:nonFiniteHalfWidth"},
      {{row({1, 2}), row({0}), row({0}), row({-1})}, "plorvent_core:negativeHalfWidth"},
      {{row({1, 2}), row({0}), row({0}), row({1073741824})}, "plorvent_core:halfWidthTooLarge"},
      {{row({1, 2}), row({0}), row({0, 0}), row({2})}, "plorvent_core:shortExtension"},
      {{claims_too_many_elements(), row({0}), row({0}), row({0})}, "plorvent_core:tooManyElements"},
  };
  for (const auto &c : cases) {
    const Outcome out = call_module(c.args);
    expect(out.raised && out.id == c.id, std::string(c.id) + " raised (got '" + out.id + "')");
  }
}

void empty_signal_gives_zero_by_one() {
  expect_column(call_module({doubles({}, 0, 0), row({}), row({}), row({5})}), {}, "0-by-0 x");
}

void matrix_is_one_signal_in_column_major_order() {
  // Column-major 6 5 4 3 2 1, so the windows cross the column boundaries.
  const Outcome out =
      call_module({doubles({6, 5, 4, 3, 2, 1}, 2, 3), row({0}), row({0}), row({1})});
  expect_column(out, {5, 5, 4, 3, 2, 1}, "2-by-3 x");
}

// Results that hold whatever order the selection uses: W2 = 0 returns every sample's own bits,
// and a window of equal-signed zeros or all NaN returns that very value.
void nan_and_signed_zeros_keep_their_bits() {
  const std::vector<double> unusual = {kNaN, -0.0, 0.0, -kInf, kInf, -kNaN, 4.9e-324};
  expect_column(call_module({row(unusual), row({}), row({}), row({0})}), unusual, "W2 = 0");
  for (double v : {-0.0, 0.0, kNaN}) {
    const std::vector<double> same(4, v);
    expect_column(call_module({row(same), row({v, v}), row({v, v}), row({2})}), same,
                  "windows all of one such value");
  }
}

// Errors leave through the stand-in's jump many times over; the stack and the module stay sound.
void repeated_errors_leave_the_module_usable() {
  for (int i = 0; i < 2000; ++i) {
    std::vector<mxArray *> args = typical_args();
    if (i % 2) {
      mxDestroyArray(args[3]);
      args[3] = row({-5});
    }
    const Outcome out = call_module(args, i % 2 ? 1 : 2);
    expect(out.raised, "call " + std::to_string(i) + " raised");
    if (failures_in_case > 0) return;  // one report, not thousands
  }
  typical_call();
}

size_t first_difference(const std::vector<double> &a, const std::vector<double> &b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && bits_of(a[i]) == bits_of(b[i])) ++i;
  return i;
}

void matches_the_linux_build(const ReferenceCase &c) {
  const Outcome out = call_module({row(c.x), row(c.xic), row(c.xfc), row({c.W2})});
  expect_column(out, c.expected, c.name.c_str());
  if (!same_bits(out.values, c.expected)) {
    std::printf("    first different output: %zu of %zu\n",
                first_difference(out.values, c.expected), c.expected.size());
  }
}

struct Tally {
  int passed = 0, failed = 0;
  template <typename Case>
  void run(const std::string &name, Case run_case) {
    failures_in_case = 0;
    run_case();
    (failures_in_case == 0 ? passed : failed) += 1;
    std::printf("%s %s\n", failures_in_case == 0 ? "PASS" : "FAIL", name.c_str());
    std::fflush(stdout);
  }
};

standin_gateway load_gateway(const char *module_path) {
  HMODULE module = LoadLibraryA(module_path);
  if (module == nullptr) {
    std::printf("cannot load %s (error %lu)\n", module_path, GetLastError());
    return nullptr;
  }
  // Through a generic function pointer: FARPROC's own type is not the gateway's.
  FARPROC entry = GetProcAddress(module, "mexFunction");
  return reinterpret_cast<standin_gateway>(reinterpret_cast<void (*)()>(entry));
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::printf("usage: %s MODULE REFERENCE_FILE\n", argv[0]);
    return 2;
  }
  Tally tally;
  tally.run("the module loads and exports mexFunction", [&] {
    expect((module_gateway = load_gateway(argv[1])) != nullptr, "mexFunction found");
  });
  std::vector<ReferenceCase> references;
  tally.run("the Linux build's reference cases are read", [&] {
    expect(read_reference_cases(argv[2], &references) && !references.empty(), argv[2]);
  });
  if (module_gateway != nullptr) {
    tally.run("typical call", typical_call);
    tally.run("wrong counts raise the usage message", wrong_counts_raise_the_usage_message);
    tally.run("each refusal carries its identifier", each_refusal_carries_its_identifier);
    tally.run("empty x gives a 0-by-1 result", empty_signal_gives_zero_by_one);
    tally.run("2-by-3 x is one signal", matrix_is_one_signal_in_column_major_order);
    tally.run("NaN and signed zeros keep their bits", nan_and_signed_zeros_keep_their_bits);
    tally.run("2000 errors in a row leave the module usable",
              repeated_errors_leave_the_module_usable);
    for (const ReferenceCase &c : references) {
      tally.run("same bits as the Linux build: " + c.name, [&] { matches_the_linux_build(c); });
    }
  }
  std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
  return tally.failed == 0 ? 0 : 1;
}
