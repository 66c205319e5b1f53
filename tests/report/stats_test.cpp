#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "system/default_command.hpp"
#include "system/machine.hpp"
#include "analyse/aggregate.hpp"
#include "analyse/statistics.hpp"
#include "write/table.hpp"

namespace callbench {
namespace {

TEST(Stats, Median) {
  struct {
    std::vector<double> values;
    double median;
  } cases[] = {
      {{5}, 5},
      {{3, 1, 2}, 2},
      {{4, 1, 3, 2}, 2.5},
      {{10, -10}, 0},
      {{7, 7, 1, 7}, 7},
      {{2147483647, 2147483646}, 2147483646.5},
  };
  for (const auto& c : cases) EXPECT_EQ(median(c.values), c.median) << c.values.size();
}

TEST(Stats, SummaryAndSpread) {
  const auto s = summarise({1200, 1000, 1100, 1500});
  EXPECT_EQ(s.count, 4u);
  EXPECT_EQ(s.min, 1000);
  EXPECT_EQ(s.max, 1500);
  EXPECT_EQ(s.median, 1150);
  ASSERT_TRUE(s.spread);
  EXPECT_DOUBLE_EQ(*s.spread, 0.5);

  // A minimum of zero or below leaves the spread undefined instead of dividing by it.
  EXPECT_FALSE(summarise({0, 10}).spread);
  EXPECT_FALSE(summarise({-5, 10}).spread);
  // Extremes of int32 must not overflow.
  EXPECT_DOUBLE_EQ(*summarise({1, 2147483647}).spread, 2147483646.0);
}

Report two_runs() {
  Report report;
  report.runs_requested = 3;
  report.sizes = {7, 15, 13, 16};
  // TheOne (third) is the reference; TestNoFrameA is twice as slow, TestWithFrame noisy.
  report.runs.push_back({1, 0.5, {{{200, 100, 100, 100}, {220, 110, 100, 200}, {200, 100, 110, 100}}}});
  report.runs.push_back({2, 0.7, {{{240, 120, 100, 100}, {200, 100, 120, 100}, {200, 100, 100, 100}}}});
  report.runs.push_back({4, 0.6, {{{200, 100, 100, 100}, {200, 100, 100, 100}, {200, 100, 100, 100}}}});
  return report;
}

TEST(Aggregate, RatiosAgainstTheOneAndBaseline) {
  auto report = two_runs();
  report.baseline = Baseline{"old.json", {{100, 100, 0, 100}}, {{200, 100, 100, 50}}};
  aggregate(report);

  const auto& a = report.rows[0];
  EXPECT_EQ(a.size, 7);
  EXPECT_EQ(a.summary.count, 9u);
  EXPECT_EQ(a.summary.median, 200);
  EXPECT_DOUBLE_EQ(*a.min_vs_reference, 2.0);
  EXPECT_DOUBLE_EQ(*a.median_vs_reference, 2.0);
  EXPECT_DOUBLE_EQ(*a.min_change_percent, 100);
  EXPECT_DOUBLE_EQ(*a.median_change_percent, 0);
  EXPECT_FALSE(report.rows[2].min_change_percent);  // baseline minimum of 0
  EXPECT_DOUBLE_EQ(*report.rows[3].median_change_percent, 100);

  EXPECT_FALSE(a.noisy());
  EXPECT_TRUE(report.rows[3].noisy());  // spread 1.0
  EXPECT_DOUBLE_EQ(report.median_wall_seconds, 0.6);
}

TEST(Aggregate, NoisyOnlyPastTheThreshold) {
  ProcedureRow row;
  for (const auto& [spread, noisy] : {std::pair{kNoisySpread, false}, {kNoisySpread + 1e-9, true}}) {
    row.summary.spread = spread;
    EXPECT_EQ(row.noisy(), noisy) << spread;
  }
}

TEST(Table, FiguresKeepABoundedWidth) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(format_percent(12.34), "+12.3%");
  EXPECT_EQ(format_percent(1e300), ">+999%");
  EXPECT_EQ(format_percent(-1e9), "<-999%");
  EXPECT_EQ(format_percent(nan), "n/a");
  EXPECT_EQ(format_fixed(inf, 3), "n/a");
  EXPECT_EQ(format_fixed(1e300, 3), "n/a");
}

TEST(Table, ShowsUndefinedAsNaAndWarnsOfNoise) {
  auto report = two_runs();
  for (auto& run : report.runs)
    for (auto& sweep : run.figures) sweep[2] = 0;  // TheOne measured as nothing
  aggregate(report);
  std::ostringstream out;
  print_table(out, report);
  const auto text = out.str();
  EXPECT_NE(text.find("3 of 3 runs valid, 9 figures per procedure"), std::string::npos) << text;
  std::istringstream row(text.substr(text.find("\nTheOne") + 1));
  std::vector<std::string> cells(9);
  for (auto& cell : cells) row >> cell;
  EXPECT_EQ(cells, (std::vector<std::string>{"TheOne", "13", "9", "0", "0", "0", "n/a", "n/a", "n/a"}));
  EXPECT_NE(text.find("the machine was noisy (spread over 0.25 for TestWithFrame)"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("change"), std::string::npos) << "no baseline columns without one";
}

TEST(Machine, FromCpuinfo) {
  struct {
    std::string cpuinfo;
    std::string line;
  } cases[] = {
      {"processor\t: 0\nmodel name\t: Some CPU @ 3GHz\nflags\t\t: fpu constant_tsc nonstop_tsc\n"
       "processor\t: 1\nmodel name\t: Other\nflags\t\t: fpu\n",
       "Some CPU @ 3GHz; time-stamp counter invariant (constant_tsc, nonstop_tsc)"},
      {"model name : X\nflags : constant_tsc tsc\n",
       "X; time-stamp counter not invariant (lacks nonstop_tsc)"},
      {"", "unknown processor; time-stamp counter not invariant (lacks constant_tsc nonstop_tsc)"},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_cpuinfo(c.cpuinfo).line(), c.line);
}

TEST(DefaultCommand, IsTheLinuxBuildBesideTheHostBuild) {
  EXPECT_EQ(program_beside("/src/build/host/callbench-report"), "/src/build/linux-i386/callbench");
}

}  // namespace
}  // namespace callbench
