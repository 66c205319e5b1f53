// A position effect in interleaved pairs: fitted beside the change on a worked
// example, and taken out of the change's noise only from enough pairs.
#include <gtest/gtest.h>

#include <cmath>

#include "stats/position.hpp"

namespace callbench::stats {
namespace {

// Three pairs with A first (d = log A - log B = 0.02, 0.04, 0.03: mean 0.03) and
// three with B first (0.12, 0.10, 0.11: mean 0.11). The change is the midpoint,
// 0.07, and a second run costs half the difference more, 0.04 (A first: B is
// second and d = change - position). Residuals +-0.01 and 0 in each order: 4e-4
// squared over 6 - 2 degrees of freedom, s = 0.01; both standard errors are
// s / 2 x sqrt(1/3 + 1/3) = 0.0040824829; t(0.975, 4) = 2.7764451 gives a
// half-width of 0.0113348. For 4 degrees of freedom the two-sided p of t is
// 1 - 3/2 u (1 - u^2 / 3), u = t / sqrt(4 + t^2): 6.082e-4 for the position.
const std::vector<double> kDifferences = {0.02, 0.12, 0.04, 0.10, 0.03, 0.11};
const std::vector<bool> kAFirst = {true, false, true, false, true, false};

TEST(Position, FitOnAWorkedExample) {
  const auto fit = fit_position(kDifferences, kAFirst);
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->a_first, 3u);
  EXPECT_EQ(fit->b_first, 3u);
  EXPECT_NEAR(fit->change.mean, 0.07, 1e-12);
  EXPECT_NEAR(fit->position.mean, 0.04, 1e-12);
  EXPECT_NEAR(fit->residual_spread, 0.01, 1e-12);
  EXPECT_NEAR(fit->position.standard_error, 0.004082482904638631, 1e-12);
  EXPECT_EQ(fit->position.df, 4);
  const auto ci = t_interval(fit->position);
  ASSERT_TRUE(ci);
  EXPECT_NEAR(ci->half_width, 0.011334789677637618, 1e-9);
  EXPECT_NEAR(*t_test_p(fit->position), 0.0006081849444633525, 1e-9);
}

TEST(Position, NoFitWithoutBothOrdersOrWithTooFewPairs) {
  EXPECT_FALSE(fit_position({0.1, 0.2, 0.3}, {true, true, true}));
  EXPECT_FALSE(fit_position({0.1, 0.2}, {true, false}));
  EXPECT_TRUE(fit_position({0.1, 0.2, 0.3}, {true, false, true}));
  EXPECT_THROW(fit_position({0.1}, {}), std::invalid_argument);
}

std::vector<std::optional<double>> present(const std::vector<double>& values) {
  return {values.begin(), values.end()};
}

TEST(Position, TheChangeTakesThePositionTermFromEnoughPairsInAKnownOrder) {
  const auto b = present(std::vector<double>(6, 0.0));
  std::vector<std::optional<bool>> order(kAFirst.begin(), kAFirst.end());
  const auto fitted = decide_paired_in_order(present(kDifferences), b, order, 0.01);
  EXPECT_NEAR(std::log(fitted.ratio.estimate), 0.07, 1e-12);
  EXPECT_NEAR(std::log(fitted.ratio.high) - 0.07, 0.011334789677637618, 1e-9);
  EXPECT_EQ(fitted.degrees_of_freedom, 4);
  EXPECT_NEAR(*fitted.p_value, 6.78691293511946e-05, 1e-9);
  EXPECT_EQ(fitted.verdict, Verdict::Slower);

  // The plain paired test on the same pairs: the position's +-0.04 left in its noise.
  const auto plain = decide_paired(present(kDifferences), b, 0.01);
  EXPECT_EQ(plain.degrees_of_freedom, 5);
  EXPECT_GT(plain.ratio.relative_half_width(), 3 * fitted.ratio.relative_half_width());

  // Fewer pairs than the term pays for, an order unknown, a pair missing a side.
  EXPECT_EQ(decide_paired_in_order(present(kDifferences), b, order, 0.01, 7).degrees_of_freedom, 5);
  auto unknown = order;
  unknown[2].reset();
  EXPECT_EQ(decide_paired_in_order(present(kDifferences), b, unknown, 0.01).degrees_of_freedom, 5);
  auto gap = present(kDifferences);
  gap[1].reset();
  EXPECT_EQ(decide_paired_in_order(gap, b, order, 0.01).degrees_of_freedom, 4) << "five pairs: plain";
  EXPECT_THROW(decide_paired_in_order(present(kDifferences), b, {true}, 0.01), std::invalid_argument);
}

}  // namespace
}  // namespace callbench::stats
