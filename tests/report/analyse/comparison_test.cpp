// A against B: pair by pair for interleaved runs, across time for reports made
// apart, where the machine's drift counts against any change.
#include <gtest/gtest.h>

#include <cmath>

#include "analyse/comparison.hpp"
#include "analyse/report_analysis.hpp"
#include "series_builder.hpp"

namespace callbench {
namespace {

const Sweep kBase{5600, 3800, 4100, 3550};

TEST(Comparison, PairedAndAcrossTimeVerdictsOnKnownChanges) {
  const struct {
    const char* what;
    double factor_a, factor_b, noise;
    Verdict verdict;
  } cases[] = {
      {"B 10 % slower", 1, 1.1, 0.01, Verdict::Faster},
      {"A 10 % slower", 1.1, 1, 0.01, Verdict::Slower},
      {"same figures, other noise", 1, 1, 0.005, Verdict::Equivalent},
      {"0.5 % apart: within the threshold", 1, 1.005, 0.001, Verdict::Equivalent},
  };
  for (const auto& c : cases) {
    const auto a = series_of(noisy_runs(30, kBase, c.factor_a, c.noise, 11), "A");
    const auto b = series_of(noisy_runs(30, kBase, c.factor_b, c.noise, 12), "B");
    for (bool paired : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (paired ? ", paired" : ", across time"));
      const auto comparison =
          paired ? compare_paired(a, b, AnalysisSettings{}) : compare_across_time(a, b, AnalysisSettings{});
      EXPECT_EQ(comparison.pairs, paired ? 30u : 0u);
      for (const auto& change : comparison.procedures) {
        EXPECT_NEAR(change.ratio.estimate, c.factor_a / c.factor_b, 2 * c.noise);
        EXPECT_EQ(change.verdict, c.verdict);
        EXPECT_TRUE(change.p_adjusted && *change.p_adjusted >= *change.p_value);
      }
    }
  }
}

TEST(Comparison, DriftWithinTheSeriesWidensAChangeAcrossTime) {
  // Both series drift the same way run by run; across time their levels may
  // differ by the drift alone, so the interval must be wider than pair by pair.
  const auto drifting = [](double factor, std::uint64_t seed, double start) {
    auto runs = noisy_runs(20, kBase, factor, 0.005, seed);
    for (std::size_t r = 0; r < runs.size(); ++r)
      for (auto& sweep : runs[r])
        for (auto& figure : sweep)
          figure = static_cast<std::int32_t>(figure * (start + 0.004 * static_cast<double>(r % 7)));
    return runs;
  };
  const auto a = series_of(drifting(1, 3, 1.0), "A"), b = series_of(drifting(1, 4, 1.0), "B");
  const auto paired = compare_paired(a, b, AnalysisSettings{});
  const auto across = compare_across_time(a, b, AnalysisSettings{});
  for (std::size_t p = 0; p < kProcedures; ++p)
    EXPECT_GT(across.procedures[p].ratio.relative_half_width(),
              paired.procedures[p].ratio.relative_half_width());
}

// A and B run as interleaved pairs in the order given ('A': A first), the
// pair's second run multiplied by `second`: sequences as the session numbers them.
std::pair<Series, Series> interleaved(const std::vector<Figures>& a_runs, const std::vector<Figures>& b_runs,
                                      const std::string& order, double second) {
  auto a = series_of(a_runs, "A"), b = series_of(b_runs, "B");
  for (std::size_t i = 0; i < order.size(); ++i) {
    const bool a_first = order[i] == 'A';
    a.runs[i].sequence = static_cast<int>(2 * i + (a_first ? 1 : 2));
    b.runs[i].sequence = static_cast<int>(2 * i + (a_first ? 2 : 1));
    for (auto& sweep : (a_first ? b : a).runs[i].figures)
      for (auto& figure : sweep) figure = static_cast<std::int32_t>(std::lround(figure * second));
  }
  return {a, b};
}

TEST(Comparison, APositionEffectIsEstimatedAndKeptOutOfTheChange) {
  // A against itself; the second run of every pair 5 % dearer.
  const auto [a, b] =
      interleaved(noisy_runs(8, kBase, 1, 0.01, 5), noisy_runs(8, kBase, 1, 0.01, 6), "ABBAABBA", 1.05);
  const auto comparison = compare_paired(a, b, AnalysisSettings{});
  ASSERT_TRUE(comparison.position);
  const auto& position = *comparison.position;
  EXPECT_EQ(position.a_first, 4u);
  EXPECT_EQ(position.b_first, 4u);
  EXPECT_TRUE(position.overall.bounded);
  EXPECT_NEAR(position.overall.estimate, 1.05, 0.006);
  EXPECT_EQ(position.verdict, Verdict::Slower);
  for (std::size_t p = 0; p < kProcedures; ++p) {
    SCOPED_TRACE(kProcedureNames[p]);
    ASSERT_TRUE(position.procedures[p]);
    EXPECT_LT(position.procedures[p]->low, 1.05);
    EXPECT_GT(position.procedures[p]->high, 1.05);
    const auto& change = comparison.procedures[p];
    EXPECT_NEAR(change.ratio.estimate, 1, 0.01);
    EXPECT_LT(change.ratio.high, 1.02) << "the 5 % is out of the change's noise";
    EXPECT_NE(change.verdict, Verdict::Slower);
    EXPECT_NE(change.verdict, Verdict::Faster);
  }

  // Runs read without their order: no position, the plain paired test.
  auto plain_a = a, plain_b = b;
  for (auto* s : {&plain_a, &plain_b})
    for (auto& run : s->runs) run.sequence.reset();
  const auto plain = compare_paired(plain_a, plain_b, AnalysisSettings{});
  EXPECT_FALSE(plain.position);
  EXPECT_GT(plain.procedures[0].ratio.relative_half_width(),
            comparison.procedures[0].ratio.relative_half_width());
}

TEST(Comparison, TheReportsKindDecidesTheMethod) {
  Report report;
  report.series = {series_of(noisy_runs(4, kBase, 1, 0.01, 1), "A"),
                   series_of(noisy_runs(3, kBase, 1, 0.01, 2), "B")};
  report.kind = Report::Kind::Interleaved;
  analyse_report(report);
  EXPECT_EQ(report.comparison->method, Comparison::Method::Paired);
  EXPECT_EQ(report.comparison->pairs, 3u) << "only runs present on both sides pair";
  report.kind = Report::Kind::Baseline;
  analyse_report(report);
  EXPECT_EQ(report.comparison->method, Comparison::Method::AcrossTime);
  report.series.pop_back();
  analyse_report(report);
  EXPECT_FALSE(report.comparison);
  EXPECT_TRUE(report.series[0].analysis);
}

}  // namespace
}  // namespace callbench
