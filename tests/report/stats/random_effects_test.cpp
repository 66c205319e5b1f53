// Pooling groups made at different times with a random effect between them,
// against worked examples.
#include <gtest/gtest.h>

#include <cmath>

#include "stats/random_effects.hpp"

namespace callbench::stats {
namespace {

// Three reports' mean log ratios 0, 0.03 and 0.09 with variances 1e-4, 1e-4 and 4e-4.
// Weights 1/v: 10000, 10000, 2500 (sum 22500); fixed-effect mean 525 / 22500 =
// 0.0233333. Cochran's Q = 10000 x 0.0233333^2 + 10000 x 0.0066667^2 + 2500 x
// 0.0666667^2 = 5.4444 + 0.4444 + 11.1111 = 17. DerSimonian-Laird: tau^2 =
// (17 - 2) / (22500 - (1e8 + 1e8 + 6.25e6) / 22500) = 15 / 13333.33 = 0.001125.
// New weights 1 / (v + tau^2): 816.33, 816.33, 655.74 (sum 2288.39); mean =
// (816.33 x 0.03 + 655.74 x 0.09) / 2288.39 = 0.0364912. Hartung-Knapp: q =
// sum w (y - mean)^2 / 2 = (1.0870 + 0.0344 + 1.8775) / 2 = 1.49946; standard
// error sqrt(q / 2288.39) = 0.0255978; t(0.975, 2) = 4.3026527 makes the
// half-width 0.1101385.
TEST(RandomEffects, PooledOnAWorkedExample) {
  const auto pooled = pool_random_effects({{0.0, 1e-4}, {0.03, 1e-4}, {0.09, 4e-4}});
  ASSERT_TRUE(pooled);
  EXPECT_NEAR(pooled->between_variance, 0.001125, 1e-12);
  EXPECT_NEAR(pooled->mean.mean, 0.036491228070175435, 1e-12);
  EXPECT_NEAR(pooled->scatter_ratio, 1.4994629430719657, 1e-9);
  EXPECT_NEAR(pooled->mean.standard_error, 0.025597807885523467, 1e-12);
  EXPECT_EQ(pooled->mean.df, 2);
  EXPECT_EQ(pooled->mean.values, 3u);
  const auto ci = t_interval(pooled->mean);
  ASSERT_TRUE(ci);
  EXPECT_NEAR(ci->half_width, 0.11013847797424989, 1e-9);
}

// Three reports that agree better than their variances say (0.01, 0.012, 0.011,
// each 1e-4): Q = 0.02 < 2, so tau^2 = 0 and q = 0.01. With equal weights the
// standard error is that of the three means themselves: deviations -0.001,
// 0.001, 0 give a variance 1e-6 and sqrt(1e-6 / 3) = 5.7735e-4, the same as
// sqrt(q / sum of weights) = sqrt(0.01 / 30000).
TEST(RandomEffects, EqualWeightsGiveTheTIntervalOfTheMeans) {
  const auto pooled = pool_random_effects({{0.01, 1e-4}, {0.012, 1e-4}, {0.011, 1e-4}});
  ASSERT_TRUE(pooled);
  EXPECT_EQ(pooled->between_variance, 0);
  EXPECT_NEAR(pooled->mean.mean, 0.011, 1e-12);
  EXPECT_NEAR(pooled->scatter_ratio, 0.01, 1e-9);
  EXPECT_NEAR(pooled->mean.standard_error, 5.773502691896258e-4, 1e-12);
}

TEST(RandomEffects, NothingToPoolWithoutTwoGroupsOfKnownVariance) {
  EXPECT_FALSE(pool_random_effects({}));
  EXPECT_FALSE(pool_random_effects({{0.1, 1e-4}}));
  EXPECT_FALSE(pool_random_effects({{0.1, 1e-4}, {0.2, INFINITY}}));
  // A report whose runs agreed exactly weighs much, not everything: the spread between reports remains.
  const auto exact = pool_random_effects({{0.0, 0}, {0.05, 1e-4}, {0.10, 1e-4}});
  ASSERT_TRUE(exact);
  EXPECT_GT(exact->between_variance, 0);
  EXPECT_GT(exact->mean.mean, 0.02);
  EXPECT_GT(exact->mean.standard_error, 0.01);
}

}  // namespace
}  // namespace callbench::stats
