#include <gtest/gtest.h>

#include <cmath>

#include "stats/calibration_summary.hpp"
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
  EXPECT_EQ(count_low_outliers({100, 101, 99, 150}), 0u);  // high ones are not disturbances
  EXPECT_EQ(count_low_outliers({}), 0u);
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

  const CalibrationSummary before{1.05, 1, 1.1, 5}, close{1.03, 1, 1.1, 5}, far{1.0, 1, 1.1, 5};
  EXPECT_FALSE(calibration_unstable(before, close));  // 1.9 %
  EXPECT_TRUE(calibration_unstable(before, far));     // 4.8 %
}

}  // namespace
}  // namespace callbench::stats
