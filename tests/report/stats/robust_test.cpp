#include <gtest/gtest.h>

#include <cmath>

#include "stats/calibration_summary.hpp"
#include "stats/grouped_values.hpp"
#include "stats/robust.hpp"

namespace callbench::stats {
namespace {

TEST(Robust, MedianMadAndLowOutliers) {
  EXPECT_EQ(*median({3, 1, 2}), 2);
  EXPECT_EQ(*median({4, 1, 3, 2}), 2.5);
  EXPECT_FALSE(median({}));
  // Deviations 0 0 1 1 2 2 50: MAD 1, so below 100 - 5 x 1.4826 only the 50.
  const std::vector<double> figures = {100, 101, 99, 100, 102, 98, 50};
  EXPECT_EQ(*median_absolute_deviation(figures), 1);
  EXPECT_EQ(count_low_outliers(figures), 1u);
  EXPECT_EQ(count_low_outliers(figures, 40), 0u);
  EXPECT_EQ(count_low_outliers({100, 101, 99, 150}), 0u);  // high ones are not low
  EXPECT_EQ(count_high_outliers({100, 101, 99, 100, 102, 98, 150}), 1u);
  EXPECT_EQ(count_high_outliers(figures), 0u);
  EXPECT_EQ(count_low_outliers({}), 0u);
  const auto limits = outlier_limits(figures, 5);
  EXPECT_NEAR(limits->low, 100 - 5 * 1.4826, 1e-12);
  EXPECT_NEAR(limits->high, 100 + 5 * 1.4826, 1e-12);
}

TEST(GroupedValues, ScatterWithinGroupsAndWhatItAllows) {
  const double chi1 = 0.000982069117175;  // chi-squared, 1 degree of freedom: its 2.5 % point
  const struct {
    const char* what;
    Groups groups;
    double within, least;
  } cases[] = {
      // Pair differences from their pair's median, x sqrt(2): 0.0707 four times, 0.1414 twice.
      {"two groups", {{0, 0.1, 0.2}, {0.3, 0.3, 0.6}}, std::pow(1.4826 * 0.1 / std::sqrt(2), 2) / 2, 0},
      {"a position that always measures higher is no scatter", {{0, 0.1, 0.2}, {0.5, 0.6, 0.7}}, 0, 0},
      {"one group cannot tell a position from scatter", {{0, 0.1, 0.2}}, 0, 0},
      {"nothing", {}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(within_group_variance(c.groups), c.within, 1e-12);
    const auto summary = summarise_groups(c.groups);
    EXPECT_NEAR(summary.within_variance, c.within, 1e-12);
    // Two groups of three: within / 3 x the chi-squared point.
    EXPECT_NEAR(summary.least_variance, c.groups.size() == 2 ? c.within / 3 * chi1 : 0, 1e-15);
  }
}

TEST(Calibration, LeastDisturbedSamplesDecide) {
  // Top half of 1.06 1.05 1.04 0.90 0.70 is 1.06 1.05 1.04; the slow samples were disturbed.
  const auto c = summarise_calibration_samples({1.05, 1.04, 0.90, 1.06, 0.70, 0, -1, NAN});
  ASSERT_TRUE(c);
  EXPECT_DOUBLE_EQ(c->clocks_per_tick, 1.05);
  EXPECT_DOUBLE_EQ(c->low, 0.70);
  EXPECT_DOUBLE_EQ(c->high, 1.06);
  EXPECT_EQ(c->samples, 5u);
  EXPECT_FALSE(summarise_calibration_samples({0, -2}));
}

}  // namespace
}  // namespace callbench::stats
