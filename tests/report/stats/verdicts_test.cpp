#include <gtest/gtest.h>

#include <cmath>

#include "stats/decisions.hpp"

namespace callbench::stats {
namespace {

constexpr double T = 0.01;

struct VerdictCase {
  const char* what;
  double low, high, p;
  Verdict expected;
};

TEST(Verdicts, RuleAtItsBoundaries) {
  const VerdictCase cases[] = {
      {"beyond and significant", 1.02, 1.2, 0.001, Verdict::Slower},
      {"p exactly 0.05 is not significant", 1.02, 1.2, 0.05, Verdict::Inconclusive},
      {"just below 0.05", 1.02, 1.2, 0.0499999, Verdict::Slower},
      {"ending exactly at 1 + T is not beyond it", 1 + T, 1.2, 0.001, Verdict::Inconclusive},
      {"faster", 0.8, 0.98, 0.001, Verdict::Faster},
      {"ending exactly at 1 - T", 0.8, 1 - T, 0.001, Verdict::Inconclusive},
      {"within the band, its ends included", 1 - T, 1 + T, 0.9, Verdict::Equivalent},
      {"significant but too small to matter", 1.001, 1.009, 0.001, Verdict::Equivalent},
      {"one end outside the band", 1 - T, 1.0101, 0.5, Verdict::Inconclusive},
      {"straddling 1 + T", 1.005, 1.03, 0.001, Verdict::Inconclusive},
      {"an interval of no width claims nothing", 1.05, 1.05, 0.00001, Verdict::Inconclusive},
      {"nor within the band", 1.0, 1.0, 1, Verdict::Inconclusive},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(classify(c.low, c.high, c.p, T), c.expected);
  }
}

TEST(Verdicts, OneSampleOnLogRatios) {
  // The fixed sample of the distribution test, as log ratios: exp of its t interval.
  const auto d = decide_one_sample({0.01, 0.03, 0.02, 0.06}, T);
  EXPECT_EQ(d.values, 4u);
  EXPECT_NEAR(d.ratio.estimate, std::exp(0.03), 1e-12);
  EXPECT_NEAR(d.ratio.low, std::exp(-0.00437434881858309), 1e-12);
  EXPECT_NEAR(d.ratio.high, std::exp(0.06437434881858309), 1e-12);
  EXPECT_NEAR(*d.resolvable, std::expm1(0.03437434881858309), 1e-12);
  EXPECT_NEAR(*d.p_value, 0.0691368692644291, 1e-9);
  EXPECT_EQ(d.degrees_of_freedom, 3);
  EXPECT_EQ(d.verdict, Verdict::Inconclusive);
  ASSERT_TRUE(d.runs_needed);
  EXPECT_GT(*d.runs_needed, 4u);

  const auto clear = decide_one_sample({0.10, 0.11, 0.09, 0.10, 0.12}, T);
  EXPECT_EQ(clear.verdict, Verdict::Slower);
}

TEST(Verdicts, RunsThatAgreeByChanceAreHeldToWhatTheirSweepsShow) {
  // Two runs with the same value: no scatter at all, which is a coincidence
  // when their sweeps scatter. Their least variance widens the interval.
  const auto bare = decide_one_sample({0.05, 0.05}, T);
  EXPECT_EQ(bare.ratio.low, bare.ratio.high);
  EXPECT_EQ(bare.verdict, Verdict::Inconclusive) << "no width, no claim";
  const auto held = decide_one_sample({0.05, 0.05}, T, 0.01);
  ASSERT_TRUE(held.ratio.bounded);
  // exp(0.05 -+ t(0.975, 1) x 0.1 / sqrt(2))
  EXPECT_NEAR(held.ratio.low, std::exp(0.05 - std::tan(0.475 * M_PI) * 0.1 / std::sqrt(2)), 1e-9);
  EXPECT_NEAR(held.ratio.high, std::exp(0.05 + std::tan(0.475 * M_PI) * 0.1 / std::sqrt(2)), 1e-9);
  EXPECT_EQ(held.verdict, Verdict::Inconclusive);
  EXPECT_GT(*held.p_value, 0.05);
  ASSERT_TRUE(held.runs_needed);
  EXPECT_GT(*held.runs_needed, 100u) << "0.1 of spread for +-1 %";
}

TEST(Verdicts, OneRunOrNoneDecidesNothing) {
  const auto one = decide_one_sample({0.2}, T);
  EXPECT_EQ(one.values, 1u);
  EXPECT_NEAR(one.ratio.estimate, std::exp(0.2), 1e-12);
  EXPECT_FALSE(one.ratio.bounded || one.p_value || one.resolvable || one.runs_needed);
  EXPECT_EQ(one.verdict, Verdict::Inconclusive);
  const auto none = decide_one_sample({}, T);
  EXPECT_EQ(none.values, 0u);
  EXPECT_EQ(none.ratio.estimate, 0);
  const auto across =
      decide_across_time({{0.1}, estimate_drift({0.1})}, {{0.0, 0.1}, estimate_drift({0.0, 0.1})}, T);
  EXPECT_FALSE(across.decision.ratio.bounded);
  EXPECT_FALSE(across.drift_measured);
}

TEST(Verdicts, PairedLeavesOutIncompletePairs) {
  const std::vector<std::optional<double>> a = {0.10, 0.20, std::nullopt, 0.30, 0.12};
  const std::vector<std::optional<double>> b = {0.00, 0.11, 0.50, std::nullopt, 0.00};
  const auto d = decide_paired(a, b, T);
  EXPECT_EQ(d.values, 3u);  // differences 0.10, 0.09, 0.12
  EXPECT_NEAR(d.ratio.estimate, std::exp((0.10 + 0.09 + 0.12) / 3), 1e-12);
  EXPECT_THROW(decide_paired(a, {0.1}, T), std::invalid_argument);
}

TEST(Verdicts, AcrossTimeWidensByTheDriftAllowance) {
  const std::vector<double> earlier = {0.00, 0.02, -0.01, 0.01, 0.00, -0.02, 0.01, 0.00};
  const std::vector<double> later = {0.05, 0.07, 0.04, 0.06, 0.05, 0.03, 0.06, 0.05};
  const auto paired = decide_paired({later.begin(), later.end()}, {earlier.begin(), earlier.end()}, T);
  const auto across = decide_across_time({later, estimate_drift(later)}, {earlier, estimate_drift(earlier)}, T);
  EXPECT_TRUE(across.drift_measured);
  EXPECT_GT(across.drift_variance, 0);
  EXPECT_NEAR(across.decision.ratio.estimate, paired.ratio.estimate, 1e-12);
  EXPECT_GT(*across.decision.resolvable, *paired.resolvable);
}

TEST(Verdicts, AcrossTimeWithTooFewRunsForDrift) {
  // A run's whole scatter is allowed for as drift, the larger side's, and the
  // interval has the smaller side's K - 1 degrees of freedom.
  const double t1 = std::tan(0.475 * M_PI), t2 = 4.302652729911275;  // t(0.975) at 1 and 2 df
  const struct {
    const char* what;
    std::vector<double> a, b;
    double drift, df, t;
  } cases[] = {
      {"equal scatter", {0.05, 0.07, 0.04}, {0.00, 0.02, -0.01}, 7.0 / 30000, 2, t2},
      {"the earlier side scatters more", {0.0, 0.1, 0.2}, {0.05, 0.06}, 0.01, 1, t1},
      {"the later side scatters more", {0.05, 0.06}, {0.0, 0.1, 0.2}, 0.01, 1, t1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto d = decide_across_time({c.a, estimate_drift(c.a)}, {c.b, estimate_drift(c.b)}, T);
    EXPECT_FALSE(d.drift_measured);
    EXPECT_NEAR(d.drift_variance, c.drift, 1e-15);
    EXPECT_EQ(d.decision.degrees_of_freedom, c.df);
    const auto variance = [](const std::vector<double>& x) {
      double mean = 0, squares = 0;
      for (double v : x) mean += v / static_cast<double>(x.size());
      for (double v : x) squares += (v - mean) * (v - mean);
      return squares / static_cast<double>(x.size() - 1) / static_cast<double>(x.size());
    };
    EXPECT_NEAR(*d.decision.resolvable, std::expm1(c.t * std::sqrt(variance(c.a) + variance(c.b) + c.drift)),
                1e-9);
    EXPECT_FALSE(d.decision.runs_needed);
  }
}

TEST(Verdicts, HolmOverAFamilyDecidesAgain) {
  std::vector<Decision> family(3);
  const double p[] = {0.02, 0.03, 0.001};
  for (std::size_t i = 0; i < family.size(); ++i) {
    family[i].ratio = {1.1, 1.05, 1.2, true};
    family[i].p_value = family[i].p_adjusted = p[i];
    family[i].verdict = Verdict::Slower;
  }
  family.push_back(Decision{});  // no data: stays out of the family
  adjust_family(family, T);
  EXPECT_DOUBLE_EQ(*family[0].p_adjusted, 0.04);
  EXPECT_DOUBLE_EQ(*family[1].p_adjusted, 0.04);
  EXPECT_DOUBLE_EQ(*family[2].p_adjusted, 0.003);
  EXPECT_EQ(family[0].verdict, Verdict::Slower);
  EXPECT_FALSE(family[3].p_adjusted);
  EXPECT_EQ(family[3].verdict, Verdict::Inconclusive);

  family[0].p_value = 0.03;  // 0.03 x 2 = 0.06 for both: no longer claims
  adjust_family(family, T);
  EXPECT_DOUBLE_EQ(*family[1].p_adjusted, 0.06);
  EXPECT_EQ(family[0].verdict, Verdict::Inconclusive);
  EXPECT_EQ(family[1].verdict, Verdict::Inconclusive);
  EXPECT_EQ(family[2].verdict, Verdict::Slower);
}

}  // namespace
}  // namespace callbench::stats
