// The gateway called as the host calls it, through the stand-in host: results and shapes, the
// count check and every refusal, and that no call leaks memory or touches its inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host_call.h"

namespace {

std::vector<mxArray *> typical_args(double W2 = 1) {
  return {doubles({3, 1, 2, 5, 4}), doubles({0}), doubles({0}), doubles({W2})};
}

TEST(Gateway, TypicalCallReturnsAColumn) {
  HostCall call(typical_args());
  ASSERT_FALSE(call.raised);
  EXPECT_EQ(mxGetM(call.result), 5u);
  EXPECT_EQ(mxGetN(call.result), 1u);
  EXPECT_EQ(contents(call.result), (std::vector<double>{1, 2, 2, 4, 4}));
}

TEST(Gateway, AnyShapeIsOneSignalInStorageOrder) {
  // 2-by-3, column-major 6 5 4 3 2 1 (so the windows cross columns), W2 = 1, zero extensions.
  HostCall matrix({doubles({6, 5, 4, 3, 2, 1}, {2, 3}), doubles({0}), doubles({0}), doubles({1})});
  ASSERT_FALSE(matrix.raised);
  EXPECT_EQ(mxGetM(matrix.result), 6u);
  EXPECT_EQ(contents(matrix.result), (std::vector<double>{5, 5, 4, 3, 2, 1}));
  HostCall column({doubles({3, 1, 2, 5, 4}, {5, 1}), doubles({0}), doubles({0}), doubles({1})});
  EXPECT_EQ(contents(column.result), (std::vector<double>{1, 2, 2, 4, 4}));
  HostCall nd(
      {doubles({1, 2, 3, 4, 5, 6, 7, 8}, {2, 2, 2}), doubles({}), doubles({}), doubles({0})});
  EXPECT_EQ(mxGetM(nd.result), 8u);
}

TEST(Gateway, EmptySignalGivesZeroByOneAndIgnoresExtensions) {
  HostCall call({doubles({}, {0, 0}), doubles({}), doubles({}), doubles({5})});
  ASSERT_FALSE(call.raised);
  EXPECT_EQ(mxGetM(call.result), 0u);
  EXPECT_EQ(mxGetN(call.result), 1u);
}

TEST(Gateway, HalfWidthIsTruncatedTowardZero) {
  HostCall zero(typical_args(0));
  EXPECT_EQ(contents(zero.result), (std::vector<double>{3, 1, 2, 5, 4}));
  HostCall below_one(typical_args(-0.5));
  EXPECT_EQ(contents(below_one.result), (std::vector<double>{3, 1, 2, 5, 4}));
  HostCall fraction(
      {doubles({9, 1, 8, 2, 7, 3}), doubles({0, 0}), doubles({0, 0}), doubles({2.9})});
  EXPECT_EQ(contents(fraction.result), (std::vector<double>{1, 2, 7, 3, 3, 2}));
}

TEST(Gateway, ComplexArgumentsUseTheirRealPart) {
  HostCall call({doubles({3, 1, 2, 5, 4}, {}, mxCOMPLEX), doubles({0}), doubles({0}),
                 doubles({1}, {}, mxCOMPLEX)});
  EXPECT_EQ(contents(call.result), (std::vector<double>{1, 2, 2, 4, 4}));
}

TEST(Gateway, WrongCountsRaiseTheUsageMessage) {
  const char *usage = "Incorrect number of parameters.\nSyntax: m = plorvent_core(x, xic, xfc, W2)";
  for (int nlhs : {0, 1, 2}) {
    for (int nrhs : {0, 3, 4, 5}) {
      if (nlhs == 1 && nrhs == 4) continue;
      std::vector<mxArray *> args = typical_args();
      while (static_cast<int>(args.size()) > nrhs) {
        mxDestroyArray(args.back());
        args.pop_back();
      }
      while (static_cast<int>(args.size()) < nrhs) args.push_back(doubles({0}));
      HostCall call(args, nlhs);
      EXPECT_TRUE(call.raised);
      EXPECT_STREQ(standin_last_error_message(), usage) << nlhs << " results, " << nrhs << " args";
    }
  }
}

mxArray *of_class(mxClassID cls) {
  const mwSize dims[2] = {1, 3};
  return mxCreateNumericArray(2, dims, cls, mxREAL);
}

TEST(Gateway, RefusesNonDoubleAndSparseArguments) {
  for (int position = 0; position < 4; ++position) {
    for (mxClassID cls : {mxSINGLE_CLASS, mxINT32_CLASS, mxUINT8_CLASS, mxLOGICAL_CLASS,
                          mxCHAR_CLASS, mxCELL_CLASS, mxSTRUCT_CLASS}) {
      std::vector<mxArray *> args = typical_args();
      mxDestroyArray(args[position]);
      args[position] = of_class(cls);
      HostCall call(args);
      EXPECT_TRUE(call.raised);
      EXPECT_EQ(call.error_id(), "plorvent_core:notDouble") << "position " << position;
    }
    std::vector<mxArray *> args = typical_args();
    mxDestroyArray(args[position]);
    args[position] = mxCreateSparse(1, 5, 1, mxREAL);
    HostCall call(args);
    EXPECT_EQ(call.error_id(), "plorvent_core:sparse") << "position " << position;
  }
}

TEST(Gateway, RefusesHalfWidthsOutsideTheWindowRange) {
  const struct {
    std::vector<double> value;
    const char *id;
  } cases[] = {
      {{}, "plorvent_core:emptyHalfWidth"},
      {{kNaN}, "plorvent_core:nonFiniteHalfWidth"},
      {{kInf}, "plorvent_core:nonFiniteHalfWidth"},
      {{-kInf}, "plorvent_core:nonFiniteHalfWidth"},
      {{-1}, "plorvent_core:negativeHalfWidth"},
      {{-3.5}, "plorvent_core:negativeHalfWidth"},
      {{1073741824}, "plorvent_core:halfWidthTooLarge"},  // 2*W2+1 would pass 2^31-1
      {{4294967297.0}, "plorvent_core:halfWidthTooLarge"},
  };
  for (const auto &c : cases) {
    HostCall call({doubles({1, 2}), doubles({}), doubles({}), doubles(c.value)});
    EXPECT_TRUE(call.raised);
    EXPECT_EQ(call.error_id(), c.id) << (c.value.empty() ? 0.0 : c.value[0]);
  }
  // The largest half-width is accepted: an empty x reads no extension.
  HostCall largest({doubles({}), doubles({}), doubles({}), doubles({1073741823.9})});
  EXPECT_FALSE(largest.raised);
}

TEST(Gateway, RefusesShortExtensionsUnlessTheSignalIsEmpty) {
  HostCall short_xic({doubles({1, 2, 3}), doubles({0}), doubles({0, 0}), doubles({2})});
  EXPECT_EQ(short_xic.error_id(), "plorvent_core:shortExtension");
  EXPECT_NE(std::string(standin_last_error_message()).find("xic"), std::string::npos);
  HostCall short_xfc({doubles({1, 2, 3}), doubles({0, 0}), doubles({0}), doubles({2})});
  EXPECT_EQ(short_xfc.error_id(), "plorvent_core:shortExtension");
  EXPECT_NE(std::string(standin_last_error_message()).find("xfc"), std::string::npos);
  HostCall empty_x({doubles({}), doubles({}), doubles({}), doubles({2})});
  EXPECT_FALSE(empty_x.raised);
}

TEST(Gateway, RefusesSignalsLongerThanA32BitCount) {
  // 65536 x 32769 claims more than 2^31-1 elements; as with the host's own mxSetM/mxSetN, the
  // data is not reallocated, so any read of it would be caught by the sanitizer build.
  mxArray *huge = doubles({1});
  mxSetM(huge, 65536);
  mxSetN(huge, 32769);
  HostCall call({huge, doubles({0}), doubles({0}), doubles({0})});
  EXPECT_EQ(call.error_id(), "plorvent_core:tooManyElements");
}

}  // namespace
