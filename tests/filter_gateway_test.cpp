// plorvent_filter's gateway called as the host calls it, through the stand-in host: both modes on
// small signals worked out by hand, the counts of arguments and results, the outputs asked for,
// the statistic and its parameters, the budget and the threads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_call.h"

namespace {

mxArray *text(const char *s) {
  return mxCreateString(s);
}

const std::vector<double> kSignal = {1, 2, 4, 8, 16};

// y = plorvent_filter(x, 3, 0, 0, 2, 0, 2^20, threads, budget, pairs...): zeros past the ends.
std::vector<mxArray *> filter_args(std::vector<mxArray *> pairs = {}, double threads = 1,
                                   double budget = 1e18) {
  std::vector<mxArray *> args = {doubles({3, 1, 2, 5, 4}),
                                 doubles({3}),
                                 doubles({0}),
                                 doubles({0}),
                                 doubles({2}),
                                 doubles({0}),
                                 doubles({1 << 20}),
                                 doubles({threads}),
                                 doubles({budget})};
  args.insert(args.end(), pairs.begin(), pairs.end());
  return args;
}

// plorvent_filter('moving', kSignal, 2, 2, 2, 0, 0, 0, [], 0, threads, pairs...): windows of two
// samples each way, clipped to the signal.
std::vector<mxArray *> moving_args(std::vector<mxArray *> pairs = {}, double threads = 1) {
  std::vector<mxArray *> args = {text("moving"), doubles(kSignal), doubles({2}),      doubles({2}),
                                 doubles({2}),   doubles({0}),     doubles({0}),      doubles({0}),
                                 doubles({}),    doubles({0}),     doubles({threads})};
  args.insert(args.end(), pairs.begin(), pairs.end());
  return args;
}

TEST(FilterGateway, BothModesOnSignalsWorkedOutByHand) {
  HostCall filter(filter_args());
  ASSERT_FALSE(filter.raised);
  EXPECT_EQ(contents(filter.result), (std::vector<double>{1, 2, 2, 4, 4}));
  // The windows (1 2 4), (1 2 4 8), (1 2 4 8 16), (2 4 8 16), (4 8 16).
  HostCall median(moving_args());
  EXPECT_EQ(contents(median.result), (std::vector<double>{2, 3, 4, 6, 8}));
  HostCall mad(moving_args({text("statistic"), text("mad")}), 2);
  ASSERT_FALSE(mad.raised);
  EXPECT_EQ(contents(mad.results[0]), (std::vector<double>{1, 1.5, 3, 3, 4}));
  EXPECT_EQ(contents(mad.results[1]), (std::vector<double>{2, 3, 4, 6, 8}));
  // Method 7 places p = 1/4 at 1 + (c-1)/4: 1.5, 1.75, 2, 1.75 and 1.5 of the way up each.
  HostCall quantile(moving_args({text("statistic"), text("quantile"), text("p"), doubles({0.25}),
                                 text("method"), doubles({7})}));
  EXPECT_EQ(contents(quantile.result), (std::vector<double>{1.5, 1.75, 2, 3.5, 6}));
}

TEST(FilterGateway, ResultsClassAndShapeFollowTheSignal) {
  const mwSize dims[2] = {5, 1};
  mxArray *x = mxCreateNumericArray(2, dims, mxINT16_CLASS, mxREAL);
  const int16_t values[5] = {3, 1, 2, 5, 4};
  std::copy(values, values + 5, static_cast<int16_t *>(mxGetData(x)));
  std::vector<mxArray *> args = filter_args();
  mxDestroyArray(args[0]);
  args[0] = x;
  mxDestroyArray(args[4]);
  args[4] = doubles({1});
  HostCall call(args);
  ASSERT_FALSE(call.raised);
  ASSERT_EQ(mxGetClassID(call.result), mxINT16_CLASS);
  EXPECT_EQ(mxGetM(call.result), 5u);
  const int16_t *y = static_cast<const int16_t *>(mxGetData(call.result));
  EXPECT_EQ(std::vector<int16_t>(y, y + 5), (std::vector<int16_t>{1, 2, 2, 4, 4}));
}

TEST(FilterGateway, CountsOfArgumentsAndResults) {
  auto usage = [](std::vector<mxArray *> args, int nlhs) {
    HostCall call(args, nlhs);
    return call.error_id() == "plorvent_filter:usage" && call.raised;
  };
  std::vector<mxArray *> short_filter = filter_args();
  mxDestroyArray(short_filter.back());
  short_filter.pop_back();
  EXPECT_TRUE(usage(short_filter, 1));
  EXPECT_TRUE(usage(filter_args({text("outputs")}), 1));  // a name without its value
  EXPECT_TRUE(usage(filter_args(), 2));                   // one result only
  EXPECT_TRUE(usage(moving_args(), 2));                   // the median gives one
  EXPECT_TRUE(usage(moving_args({text("statistic"), text("quantile")}), 2));
  EXPECT_TRUE(usage(moving_args({text("statistic"), text("mad")}), 3));
  // The last statistic named decides.
  EXPECT_TRUE(
      usage(moving_args({text("statistic"), text("mad"), text("statistic"), text("median")}), 2));
  HostCall mad_alone(moving_args({text("statistic"), text("mad")}), 1);
  EXPECT_FALSE(mad_alone.raised);
}

TEST(FilterGateway, OutputsAskedForAreThoseOfTheWholeCall) {
  HostCall middle(moving_args({text("outputs"), doubles({2, 4})}));
  EXPECT_EQ(contents(middle.result), (std::vector<double>{3, 4, 6}));
  for (double k = 1; k <= 5; ++k) {  // [k k]: one output
    HostCall one(moving_args({text("statistic"), text("mad"), text("outputs"), doubles({k, k})}),
                 2);
    ASSERT_FALSE(one.raised) << k;
    EXPECT_EQ(contents(one.results[0]),
              (std::vector<double>{std::vector<double>{1, 1.5, 3, 3, 4}[k - 1]}));
    EXPECT_EQ(contents(one.results[1]),
              (std::vector<double>{std::vector<double>{2, 3, 4, 6, 8}[k - 1]}));
  }
  HostCall filtered(filter_args({text("outputs"), doubles({5, 5})}));
  EXPECT_EQ(contents(filtered.result), (std::vector<double>{4}));
  for (const std::vector<double> &bad :
       std::vector<std::vector<double>>{{0, 2}, {3, 2}, {1, 6}, {2}, {1.5, 3}, {1, 2, 3}}) {
    HostCall refused(moving_args({text("outputs"), doubles(bad)}));
    EXPECT_EQ(refused.error_id(), "plorvent_filter:invalidArgument") << bad[0];
  }
}

TEST(FilterGateway, AProbabilityAndAMethodAreAQuantilesAlone) {
  const std::vector<std::vector<mxArray *>> refused = {
      {text("statistic"), text("mad"), text("p"), doubles({0.5})},
      {text("statistic"), text("median"), text("method"), doubles({5})},
      {text("p"), doubles({0.5})},  // the median, unnamed
      {text("statistic"), text("mean")},
      {text("statistic"), text("quantile"), text("p"), doubles({1.5})},
      {text("statistic"), text("quantile"), text("method"), doubles({10})},
      {text("statistic"), text("quantile"), text("method"), doubles({2.5})},
      {text("statistic"), doubles({1})},
      {text("quantile"), doubles({1})},  // no such option
  };
  for (const std::vector<mxArray *> &pairs : refused) {
    HostCall call(moving_args(pairs), 1);
    EXPECT_EQ(call.error_id(), "plorvent_filter:invalidArgument") << standin_last_error_message();
  }
  // The filter mode takes no statistic at all.
  HostCall filter(filter_args({text("statistic"), text("mad")}));
  EXPECT_EQ(filter.error_id(), "plorvent_filter:invalidArgument");
  // A quantile without p and method is the median (p = 1/2, method 5).
  HostCall quantile(moving_args({text("statistic"), text("quantile")}));
  EXPECT_EQ(contents(quantile.result), (std::vector<double>{2, 3, 4, 6, 8}));
}

// On the windows above (medians 2 3 4 6 8, MADs 1 1.5 3 3 4), the spread is the MAD itself:
// only 16 lies beyond it, 8 above its median 8.
TEST(FilterGateway, OutlierTestsGiveTheResultsNamedInTheirOrder) {
  HostCall hampel(moving_args({text("statistic"), text("hampel"), text("nsigma"), doubles({1}),
                               text("scale"), doubles({1}), text("results"), doubles({2, 1})}),
                  2);
  ASSERT_FALSE(hampel.raised) << standin_last_error_message();
  ASSERT_EQ(mxGetClassID(hampel.results[0]), mxLOGICAL_CLASS);
  const bool *j = static_cast<const bool *>(mxGetData(hampel.results[0]));
  EXPECT_EQ(std::vector<bool>(j, j + 5), (std::vector<bool>{0, 0, 0, 0, 1}));
  EXPECT_EQ(contents(hampel.results[1]), (std::vector<double>{1, 2, 4, 8, 8}));
  HostCall clip(moving_args({text("statistic"), text("outliers"), text("threshold"), doubles({0.5}),
                             text("scale"), doubles({2}), text("fillmethod"), text("clip"),
                             text("results"), doubles({3, 4, 1})}),
                3);
  ASSERT_FALSE(clip.raised) << standin_last_error_message();
  EXPECT_EQ(contents(clip.results[0]), (std::vector<double>{1, 1.5, 1, 3, 4}));
  EXPECT_EQ(contents(clip.results[1]), (std::vector<double>{3, 4.5, 7, 9, 12}));
  EXPECT_EQ(contents(clip.results[2]), (std::vector<double>{1, 2, 4, 8, 12}));
  const std::vector<std::vector<mxArray *>> refused = {
      {text("statistic"), text("outliers"), text("nsigma"), doubles({1})},
      {text("statistic"), text("hampel"), text("threshold"), doubles({1})},
      {text("statistic"), text("mad"), text("fillmethod"), text("center")},
      {text("statistic"), text("quantile"), text("scale"), doubles({1})},
      {text("statistic"), text("hampel"), text("nsigma"), doubles({-1})},
      {text("statistic"), text("outliers"), text("fillmethod"), text("linear")},
      {text("statistic"), text("outliers"), text("results"), doubles({1})},  // no fill given
      {text("statistic"), text("outliers"), text("results"), doubles({2, 2})},
      {text("statistic"), text("outliers"), text("results"), doubles({6})},
  };
  for (const std::vector<mxArray *> &pairs : refused) {
    HostCall call(moving_args(pairs), 1);
    EXPECT_EQ(call.error_id(), "plorvent_filter:invalidArgument") << standin_last_error_message();
  }
}

TEST(FilterGateway, TheBudgetAndTheThreads) {
  HostCall moving(moving_args({text("statistic"), text("mad"), text("budget"), doubles({0})}));
  EXPECT_EQ(moving.error_id(), "plorvent_filter:windowTooLong");
  HostCall filter(filter_args({}, 1, 0));
  EXPECT_EQ(filter.error_id(), "plorvent_filter:windowTooLong");
  for (double threads : {0.0, 257.0, 1.5}) {
    HostCall refused(moving_args({}, threads));
    EXPECT_EQ(refused.error_id(), "plorvent_filter:invalidArgument") << threads;
    HostCall refused_filter(filter_args({}, threads));
    EXPECT_EQ(refused_filter.error_id(), "plorvent_filter:invalidArgument") << threads;
  }
  // Enough samples for several threads: the same bits on one and on four, and on four within the
  // budget of one worker (which the refusal of a budget of 0 states).
  std::vector<double> x(200000);
  Random random = {5};
  for (double &v : x) v = mixed_sample(random);
  auto mad_of = [&](double threads, double budget, bool *raised) {
    std::vector<mxArray *> args =
        moving_args({text("statistic"), text("mad"), text("budget"), doubles({budget})}, threads);
    mxDestroyArray(args[1]);
    args[1] = doubles(x);
    HostCall call(args, 2);
    *raised = call.raised;
    return call.raised ? std::vector<double>{} : contents(call.results[0]);
  };
  bool raised = false;
  mad_of(4, 0, &raised);
  ASSERT_TRUE(raised);
  const std::string message = standin_last_error_message();
  const double one_worker = std::stod(message.substr(message.find("needs ") + 6));
  const std::vector<double> one = mad_of(1, 1e18, &raised);
  ASSERT_FALSE(raised);
  EXPECT_TRUE(same_bits(one, mad_of(4, 1e18, &raised)));
  EXPECT_TRUE(same_bits(one, mad_of(4, one_worker, &raised)));
  EXPECT_FALSE(raised);
  mad_of(4, one_worker - 1, &raised);
  EXPECT_TRUE(raised);
}

}  // namespace
