// A against B: pair by pair for interleaved runs, across time for reports made
// apart, where the machine's drift counts against any change.
#include <gtest/gtest.h>

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

TEST(Comparison, PairsThatAgreeOnlyByChanceClaimNothing) {
  // Sweeps from 2,000 to 8,000, B 5 % dearer than A in every pair: the pairs
  // agree exactly only because both sides scatter alike, which their sweeps show up.
  const std::vector<Figures> a = {
      {{{8000, 2000, 2000, 2000}, {4200, 4000, 4000, 4000}, {2100, 8000, 8000, 8000}}},
      {{{2100, 8000, 8000, 8000}, {4200, 4000, 4000, 4000}, {8000, 2000, 2000, 2000}}},
  };
  auto b = a;
  for (auto& run : b)
    for (auto& sweep : run)
      for (auto& figure : sweep) figure = static_cast<std::int32_t>(figure * 1.05);
  for (bool paired : {true, false}) {
    SCOPED_TRACE(paired ? "paired" : "across time");
    const auto change = paired ? compare_paired(series_of(a, "A"), series_of(b, "B"), AnalysisSettings{})
                               : compare_across_time(series_of(a, "A"), series_of(b, "B"), AnalysisSettings{});
    for (const auto& d : change.procedures) {
      EXPECT_NEAR(d.ratio.estimate, 1 / 1.05, 1e-3);
      EXPECT_GT(d.ratio.high / d.ratio.low, 1.2) << d.ratio.low << " to " << d.ratio.high;
      EXPECT_EQ(d.verdict, Verdict::Inconclusive);
    }
  }
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
  // The drift between a baseline and the new runs (the first series) grows with
  // the new runs' warm-up, made between them; the baseline's own came before it.
  Report drifting = report;
  for (auto& series : drifting.series) {
    series = series_of(noisy_runs(12, kBase, 1, 0.01, series.name == "A" ? 5 : 6), series.name);
    for (std::size_t r = 0; r < series.runs.size(); ++r)
      for (auto& sweep : series.runs[r].figures)
        for (auto& figure : sweep) figure = static_cast<std::int32_t>(figure * (1 + 0.01 * (r % 2)));
  }
  drifting.series[0].warmup_runs = 40;
  drifting.series[1].warmup_runs = 3;
  analyse_report(drifting);
  const auto width = [&](std::size_t between) {
    return compare_across_time(drifting.series[0], drifting.series[1], AnalysisSettings{}, between)
        .procedures[0]
        .ratio.relative_half_width();
  };
  ASSERT_GT(width(40), width(3));
  EXPECT_DOUBLE_EQ(drifting.comparison->procedures[0].ratio.relative_half_width(), width(40));
  report.series.pop_back();
  analyse_report(report);
  EXPECT_FALSE(report.comparison);
  EXPECT_TRUE(report.series[0].analysis);
}

TEST(Comparison, AFailedAnalysisLeavesTheRunsToBeWritten) {
  Report report;
  report.kind = Report::Kind::Interleaved;
  report.series = {series_of(noisy_runs(4, kBase, 1, 0.01, 1), "A"),
                   series_of(noisy_runs(4, kBase, 1, 0.01, 2), "B")};
  EXPECT_FALSE(analyse_report_or_reason(report));
  EXPECT_TRUE(report.comparison && report.series[1].analysis);
  report.analysis_settings.noise_threshold = -2;  // no such threshold: the statistics refuse it
  const auto failed = analyse_report_or_reason(report);
  ASSERT_TRUE(failed);
  EXPECT_FALSE(failed->empty());
  EXPECT_FALSE(report.comparison || report.series[0].analysis || report.series[1].analysis);
  EXPECT_EQ(report.series[0].runs.size(), 4u);
}

}  // namespace
}  // namespace callbench
