// Reports of one machine made at different times, pooled with a random effect
// across them, grouped by machine.
#include <gtest/gtest.h>

#include <cmath>

#include "analyse/pooling.hpp"
#include "analyse/report_analysis.hpp"
#include "series_builder.hpp"

namespace callbench {
namespace {

// Two runs whose TestNoFrameA / TheOne is exp of the given logs, the others equal to TheOne.
Series report_of(const std::string& label, double first, double second) {
  auto runs = make_runs(2, [&](std::size_t run, std::size_t) {
    const double log_ratio = run == 0 ? first : second;
    return Sweep{static_cast<std::int32_t>(std::lround(1e6 * std::exp(log_ratio))), 1000000, 1000000, 1000000};
  });
  auto series = series_of(runs);
  series.label = label;
  return series;
}

// Three reports of two runs: TestNoFrameA's log ratios -0.01 and 0.01 (mean 0),
// 0.02 and 0.04 (0.03), 0.08 and 0.10 (0.09). Each report's runs scatter alike
// (variance 2e-4, pooled over the three), so each mean has variance 1e-4 and
// the weights are equal. Q = (0.04^2 + 0.01^2 + 0.05^2) / 1e-4 = 42, tau^2 =
// (42 - 2) / (30000 - 10000) = 0.002; the mean is 0.04, and Hartung-Knapp's
// standard error that of the three means: sqrt(0.0021 / 3) = 0.0264575; with
// t(0.975, 2) = 4.3026527 the interval is exp(0.04 +- 0.1138377). Between
// reports the ratio moves by exp(sqrt(0.002)) - 1 = 4.573 %. The last report
// read again (a copy) counts once.
TEST(Pooling, ReportsOfOneMachineOnAWorkedExample) {
  Report report;
  report.kind = Report::Kind::Files;
  report.pool = true;
  report.series = {report_of("box", -0.01, 0.01), report_of("other box", 0.5, 0.5),
                   report_of("box", 0.02, 0.04), report_of("box", 0.08, 0.10), report_of("box", 0.08, 0.10)};
  analyse_report(report);
  ASSERT_EQ(report.pooled.size(), 2u);
  const auto& box = report.pooled[0];
  EXPECT_EQ(box.label, "box");
  EXPECT_EQ(box.series, (std::vector<std::size_t>{0, 2, 3}));
  EXPECT_EQ(box.runs, 6u);
  const auto& ratio = box.ratios[0];
  EXPECT_NEAR(std::log(ratio.ratio.estimate), 0.04, 1e-5);
  EXPECT_NEAR(std::log(ratio.ratio.high) - 0.04, 0.1138377, 1e-5);
  EXPECT_NEAR(0.04 - std::log(ratio.ratio.low), 0.1138377, 1e-5);
  EXPECT_EQ(ratio.degrees_of_freedom, 2);
  EXPECT_EQ(ratio.verdict, Verdict::Inconclusive);
  EXPECT_FALSE(ratio.runs_needed) << "more runs do not narrow it; more reports do";
  EXPECT_NEAR(*box.between_reports[0], 0.04573, 1e-4);
  EXPECT_NEAR(box.medians[kReference]->estimate, 1e6, 1);

  // A machine of one report keeps that report's own figures and verdicts.
  const auto& other = report.pooled[1];
  EXPECT_EQ(other.series, std::vector<std::size_t>{1});
  EXPECT_NEAR(other.ratios[0].ratio.estimate, std::exp(0.5), 1e-5);
  EXPECT_EQ(other.ratios[0].verdict, report.series[1].analysis->paired[0].decision.verdict);
  EXPECT_FALSE(other.between_reports[0]);
}

TEST(Pooling, MachinesAreTheLabelElseTheHostAndProcessor) {
  auto unlabelled = series_of(noisy_runs(2, {1, 1, 1, 1}, 1, 0, 1));
  unlabelled.conditions.host = "vm";
  unlabelled.conditions.processor = Processor{"AMD EPYC", true, std::nullopt};
  EXPECT_EQ(machine_of(unlabelled), "vm, AMD EPYC");
  unlabelled.label = "EPYC (KVM)";
  EXPECT_EQ(machine_of(unlabelled), "EPYC (KVM)");
  unlabelled.name_in_file = "B";  // the other benchmark of a --vs report
  EXPECT_EQ(machine_of(unlabelled), "EPYC (KVM)/B");
  unlabelled.name_in_file = "[2]";  // a report among those a compare file holds
  EXPECT_EQ(machine_of(unlabelled), "EPYC (KVM)");
  EXPECT_EQ(machine_of(series_of(noisy_runs(2, {1, 1, 1, 1}, 1, 0, 1))), "an unnamed machine");
}

}  // namespace
}  // namespace callbench
