#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "stats/drift.hpp"

namespace callbench::stats {
namespace {

// Fitted by hand-written weighted least squares over lags 1..K/2.
struct DriftCase {
  const char* what;
  std::vector<double> values;
  double q, r;
};

TEST(Drift, SemivariogramFitOfConstructedSeries) {
  const DriftCase cases[] = {
      {"a straight line: all drift, the fit through the origin",
       {0, 1, 2, 3, 4, 5, 6, 7},
       3.1857142857142855,
       0},
      {"alternating: no drift, r the mean semivariance", {0, 1, 0, 1, 0, 1, 0, 1}, 0, 0.2727272727272727},
      {"a zigzag that climbs: both", {0, 2, 1, 3, 2, 4, 3, 5}, 0.8137931034482758, 0.6206896551724138},
      {"one step", {0, 0, 0, 1, 1, 1}, 0.2916666666666667, 0},
      {"constant", {3, 3, 3, 3, 3}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto d = estimate_drift(c.values);
    EXPECT_TRUE(d.measured);
    EXPECT_EQ(d.runs, c.values.size());
    EXPECT_NEAR(d.step_variance, c.q, 1e-12);
    EXPECT_NEAR(d.white_variance, c.r, 1e-12);
  }
}

TEST(Drift, TooFewRunsAreNotMeasured) {
  const auto d = estimate_drift({0, 5, 10});
  EXPECT_FALSE(d.measured);
  EXPECT_EQ(d.step_variance, 0);
  EXPECT_FALSE(pool_drift({d, d}).measured);
  const auto measured = estimate_drift({0, 1, 2, 3, 4, 5, 6, 7});
  EXPECT_DOUBLE_EQ(pool_drift({d, measured}).step_variance, measured.step_variance);
}

TEST(Drift, PoolingAveragesTheUnclampedFitsByRunsLessOne) {
  // The alternating series fits a negative slope; pooled with the line (8 runs, weight 7) by runs - 1.
  const auto line = estimate_drift({0, 1, 2, 3, 4, 5, 6, 7});
  for (std::size_t runs : {8, 12, 5}) {
    SCOPED_TRACE(runs);
    std::vector<double> values;
    for (std::size_t i = 0; i < runs; ++i) values.push_back(static_cast<double>(i % 2));
    const auto alternating = estimate_drift(values);
    EXPECT_LT(alternating.unclamped_step_variance, 0);
    const double w = static_cast<double>(runs - 1);
    const auto pooled = pool_drift({line, alternating});
    EXPECT_EQ(pooled.runs, 8 + runs);
    const double q = (7 * line.unclamped_step_variance + w * alternating.unclamped_step_variance) / (7 + w);
    EXPECT_NEAR(pooled.unclamped_step_variance, q, 1e-12);
    EXPECT_NEAR(pooled.step_variance, std::max(0.0, q), 1e-12);
    EXPECT_NEAR(pooled.white_variance, (7 * line.white_variance + w * alternating.white_variance) / (7 + w),
                1e-12);
    EXPECT_NEAR(pooled.step_variance_noise,
                std::hypot(7 * line.step_variance_noise, w * alternating.step_variance_noise) / (7 + w), 1e-12);
  }
}

TEST(Drift, NoiseOfTheStepVarianceWithoutDrift) {
  // sqrt(2 tr(A^2)) of the fit's quadratic form, built entry by entry from the fit itself.
  EXPECT_NEAR(step_variance_noise(4, 1), 1.8856180831641267, 1e-12);
  EXPECT_NEAR(step_variance_noise(10, 2), 2 * 0.2511719925680631, 1e-12);
  EXPECT_EQ(step_variance_noise(3, 1), 0);
}

TEST(Drift, VarianceOfADifferenceOfBlockMeans) {
  // Summed squared weights of each step, counted step by step.
  EXPECT_DOUBLE_EQ(drift_variance_of_difference(1, 1, 1), 1);
  EXPECT_DOUBLE_EQ(drift_variance_of_difference(1, 2, 1), 1.25);
  EXPECT_DOUBLE_EQ(drift_variance_of_difference(2, 20, 20), 2 * 13.35);
  EXPECT_NEAR(drift_variance_of_difference(1, 3, 5, 2), 4.755555555555556, 1e-12);
  EXPECT_THROW(drift_variance_of_difference(1, 0, 3), std::invalid_argument);
}

}  // namespace
}  // namespace callbench::stats
