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

TEST(Comparison, APositionEffectIsEstimatedAndKeptOutOfTheChange) {
  // A against itself; the second run of every pair 5 % dearer.
  const auto [a, b] =
      interleave(noisy_runs(8, kBase, 1, 0.01, 5), noisy_runs(8, kBase, 1, 0.01, 6), "ABBAABBA", 1.05);
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

TEST(Comparison, RatiosToTheOneCancelTheLevelARunShares) {
  // Each run's four figures share a level that swings +-10 % (the run's
  // neighbours, its clock); within a run they scatter 0.2 %. TestNoFrameA costs
  // 10 % more on B: its ratio to TheOne is 1.10 x 5600 / 4100 there against
  // 5600 / 4100 on A, a change of 1 / 1.1 = -9.1 %.
  const auto shared_level = [](std::vector<Figures> runs, const std::vector<double>& levels) {
    for (std::size_t r = 0; r < runs.size(); ++r)
      for (auto& sweep : runs[r])
        for (auto& figure : sweep) figure = static_cast<std::int32_t>(std::lround(figure * levels[r]));
    return runs;
  };
  auto b_runs = noisy_runs(10, kBase, 1, 0.002, 22);
  for (auto& run : b_runs)
    for (auto& sweep : run) sweep[0] = static_cast<std::int32_t>(std::lround(sweep[0] * 1.1));
  const auto a = series_of(shared_level(noisy_runs(10, kBase, 1, 0.002, 21),
                                        {1.10, 0.92, 1.05, 0.90, 1.08, 0.95, 1.10, 0.91, 1.02, 0.97}),
                           "A");
  const auto b =
      series_of(shared_level(b_runs, {0.90, 1.09, 0.93, 1.10, 0.94, 1.06, 0.92, 1.08, 0.99, 1.04}), "B");
  const auto comparison = compare_paired(a, b, AnalysisSettings{});
  EXPECT_EQ(comparison.procedures[0].verdict, Verdict::Inconclusive) << "the levels cannot tell";
  ASSERT_TRUE(comparison.ratios);
  const auto& ratios = *comparison.ratios;
  EXPECT_NEAR(ratios[0].ratio.estimate, 1 / 1.1, 0.003);
  EXPECT_LT(ratios[0].ratio.relative_half_width(), 0.005);
  EXPECT_EQ(ratios[0].verdict, Verdict::Faster) << "A's ratio lower";
  EXPECT_LT(*ratios[0].p_adjusted, 0.0001);
  for (const std::size_t p : {1, 3}) {
    EXPECT_EQ(ratios[p].verdict, Verdict::Equivalent) << kProcedureNames[p];
    EXPECT_GE(*ratios[p].p_adjusted, *ratios[p].p_value) << "adjusted over the three";
  }
  EXPECT_EQ(ratios[kReference].values, 0u) << "TheOne against itself is no row";
  EXPECT_FALSE(compare_across_time(a, b, AnalysisSettings{}).ratios) << "pairs only";
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
