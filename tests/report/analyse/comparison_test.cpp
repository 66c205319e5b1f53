#include <gtest/gtest.h>

#include <stdexcept>

#include "series_builder.hpp"

namespace callbench {
namespace {

const Sweep kBase{5600, 3800, 4100, 3550};

TEST(Comparison, VerdictsOnKnownChanges) {
  struct {
    const char* what;
    double factor_a, factor_b, noise;
    ChangeVerdict verdict;
  } cases[] = {
      {"B 10 % slower", 1, 1.1, 0.01, ChangeVerdict::Faster},
      {"A 10 % slower", 1.1, 1, 0.01, ChangeVerdict::Slower},
      {"same figures, other noise", 1, 1, 0.01, ChangeVerdict::NoChange},
      {"B 0.5 % slower: significant, within the threshold", 1, 1.005, 0.001, ChangeVerdict::NoChange},
  };
  for (const auto& c : cases) {
    const auto a = noisy_runs(30, kBase, c.factor_a, c.noise, 11), b = noisy_runs(30, kBase, c.factor_b, c.noise, 12);
    for (bool paired : {true, false}) {
      const auto comparison = compare_series(a, b, paired, {});
      EXPECT_EQ(comparison.pairs, paired ? 30u : 0u);
      for (const auto& change : comparison.procedures) {
        SCOPED_TRACE(std::string(c.what) + (paired ? ", paired" : ", unpaired"));
        EXPECT_NEAR(change.ratio->estimate, c.factor_a / c.factor_b, 2 * c.noise);
        EXPECT_EQ(change.verdict, c.verdict);
        EXPECT_EQ(change.test->p_value < kSignificance, c.factor_a != c.factor_b);
      }
    }
  }
}

TEST(Comparison, IdenticalSidesAndMissingData) {
  const auto runs = noisy_runs(10, kBase, 1, 0.05, 5), one = noisy_runs(1, kBase, 1, 0.05, 5);
  for (const auto& change : compare_series(runs, runs, true, {}).procedures) {
    // Pairs of identical runs resample to a ratio of exactly 1.
    EXPECT_TRUE(change.ratio->low == 1 && change.ratio->estimate == 1 && change.ratio->high == 1);
    EXPECT_NEAR(change.test->p_value, 1, 1e-12);
    EXPECT_EQ(change.verdict, ChangeVerdict::NoChange);
  }
  for (const auto& change : compare_series(one, runs, false, {}).procedures) {
    EXPECT_FALSE(change.ratio->resampled);
    EXPECT_EQ(change.verdict, ChangeVerdict::Unknown);
  }
  for (const auto& change : compare_series(runs, {}, false, {}).procedures)
    EXPECT_TRUE(!change.ratio && !change.test && change.verdict == ChangeVerdict::Unknown);
  EXPECT_THROW(compare_series(runs, one, true, {}), std::invalid_argument);
}

}  // namespace
}  // namespace callbench
