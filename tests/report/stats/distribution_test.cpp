#include <gtest/gtest.h>

#include <cmath>

#include "stats/mean_estimate.hpp"
#include "stats/runs_needed.hpp"
#include "stats/satterthwaite.hpp"
#include "stats/student_t.hpp"

namespace callbench::stats {
namespace {

// df 1 and 2 have closed forms; the others come from integrating the density.
struct QuantileCase {
  double probability, df, expected;
};

TEST(StudentT, QuantilesMatchClosedFormsAndIntegration) {
  const QuantileCase cases[] = {
      {0.975, 1, std::tan(M_PI * 0.475)},
      {0.9, 2, 0.8 / std::sqrt(2 * 0.9 * 0.1)},
      {0.025, 2, -0.95 / std::sqrt(2 * 0.975 * 0.025)},
      {0.975, 3, 3.182446305283708},
      {0.975, 19, 2.093024054408308},
      {0.99, 7.5, 2.943099323406715},
      {0.975, INFINITY, 1.959963984540054},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "p " << c.probability << ", df " << c.df);
    EXPECT_NEAR(t_quantile(c.probability, c.df), c.expected, 1e-9);
    EXPECT_NEAR(t_two_sided_p(c.expected, c.df), 2 * std::fmin(c.probability, 1 - c.probability), 1e-9);
  }
}

TEST(StudentT, TwoSidedPOfOneDegree) {
  for (double t : {0.0, 0.5, -3.0, 40.0})
    EXPECT_NEAR(t_two_sided_p(t, 1), 1 - 2 / M_PI * std::atan(std::fabs(t)), 1e-12);
  EXPECT_EQ(t_two_sided_p(INFINITY, 4), 0);
  EXPECT_THROW(t_quantile(0.5, 0), std::invalid_argument);
  EXPECT_THROW(t_quantile(1, 3), std::invalid_argument);
}

TEST(MeanEstimate, IntervalAndPOfAFixedSample) {
  const auto e = estimate_mean({0.01, 0.03, 0.02, 0.06});
  ASSERT_TRUE(e);
  EXPECT_DOUBLE_EQ(e->mean, 0.03);
  EXPECT_NEAR(e->standard_error, 0.010801234497346433, 1e-15);
  EXPECT_EQ(e->df, 3);
  const auto ci = t_interval(*e);
  ASSERT_TRUE(ci);
  EXPECT_NEAR(ci->low, -0.00437434881858309, 1e-12);
  EXPECT_NEAR(ci->high, 0.06437434881858309, 1e-12);
  EXPECT_NEAR(*t_test_p(*e), 0.0691368692644291, 1e-9);
}

TEST(MeanEstimate, OneValueHasNoIntervalAndNoneHasNoMean) {
  const auto one = estimate_mean({0.2});
  ASSERT_TRUE(one);
  EXPECT_EQ(one->df, 0);
  EXPECT_FALSE(t_interval(*one));
  EXPECT_FALSE(t_test_p(*one));
  EXPECT_FALSE(estimate_mean({}));
  // No scatter: the mean is exact, p is 0 away from the null and 1 on it.
  EXPECT_EQ(*t_test_p(*estimate_mean({0.1, 0.1})), 0);
  EXPECT_EQ(*t_test_p(*estimate_mean({0.0, 0.0})), 1);
}

TEST(Satterthwaite, DegreesOfFreedomOfSums) {
  EXPECT_DOUBLE_EQ(satterthwaite_df({{1, 4}, {1, 4}}), 8);
  EXPECT_DOUBLE_EQ(satterthwaite_df({{2, 9}}), 9);
  EXPECT_DOUBLE_EQ(satterthwaite_df({{1, 3}, {3, INFINITY}}), 48);  // 16 / (1/3)
  EXPECT_TRUE(std::isinf(satterthwaite_df({{1, INFINITY}})));
  EXPECT_EQ(satterthwaite_df({{0, 3}}), 0);
  EXPECT_THROW(satterthwaite_df({{-1, 3}}), std::invalid_argument);
}

TEST(RunsNeeded, SmallestCountWhoseIntervalIsNarrowEnough) {
  // t(0.975, K - 1) x spread / sqrt(K) against the half-width, with t from the
  // integrated density: at K = 2..5, 12.71 / 1.414, 4.303 / 1.732, 3.182 / 2,
  // 2.776 / 2.236 = 8.98, 2.48, 1.59, 1.24 (with K degrees of freedom, 4 would
  // come out as 3; with K - 2, as 5).
  const struct {
    double spread, half_width;
    std::size_t limit;
    std::optional<std::size_t> runs;
  } cases[] = {
      {0.05, std::log1p(0.01), 100000, 100},  // 5 % scatter, ±1 %
      {1, 2.0, 100000, 4},
      {1, 2.5, 100000, 3},
      {1, 9.0, 100000, 2},
      {0, 0.01, 100000, 2},
      {1, 1e-6, 1000, std::nullopt},  // past the limit
      // A noise threshold of 0: no number of runs resolves it, which is an answer, not a fault.
      {0.05, 0, 100000, std::nullopt},
      {0, 0, 100000, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.spread << " for " << c.half_width);
    EXPECT_EQ(runs_needed(c.spread, c.half_width, 0.95, c.limit), c.runs);
  }
  const auto half = [](std::size_t k) { return t_quantile(0.975, k - 1.0) * 0.05 / std::sqrt(double(k)); };
  EXPECT_LE(half(100), std::log1p(0.01));
  EXPECT_GT(half(99), std::log1p(0.01));
}

}  // namespace
}  // namespace callbench::stats
