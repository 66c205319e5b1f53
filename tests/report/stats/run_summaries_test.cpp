#include <gtest/gtest.h>

#include <cmath>

#include "analyse/run_summaries.hpp"

namespace callbench {
namespace {

TEST(RunSummaries, MediansLeaveOutDisturbedFigures) {
  // TestNoFrameA, TestNoFrameB, TheOne, TestWithFrame per sweep; <= 0 is disturbed.
  const Figures run = {{{4000, 4100, 4000, 3400}, {4200, -5, 4100, 3500}, {4400, 4300, 0, 3600}}};
  const auto s = summarise_run(run);
  EXPECT_NEAR(*s.log_median[0], std::log(4200), 1e-12);
  EXPECT_NEAR(*s.log_median[1], std::log(4200), 1e-12);  // 4100 and 4300
  EXPECT_NEAR(*s.log_median[2], std::log(4050), 1e-12);
  EXPECT_NEAR(*s.log_median[3], std::log(3500), 1e-12);
  // Ratios only where both figures are valid: sweeps 1 and 2 for A, sweep 1 for B.
  EXPECT_NEAR(*s.log_ratio_to_reference[0], std::log((1 + 4200.0 / 4100) / 2), 1e-12);
  EXPECT_NEAR(*s.log_ratio_to_reference[1], std::log(4100.0 / 4000), 1e-12);
  EXPECT_NEAR(*s.log_ratio_to_reference[3], std::log((3400.0 / 4000 + 3500.0 / 4100) / 2), 1e-12);
  EXPECT_FALSE(s.log_ratio_to_reference[kReference]);
}

TEST(RunSummaries, ARunWithoutValidFiguresGivesNoValue) {
  const Figures disturbed = {{{1000, 0, 0, 1000}, {1000, -1, -3, 1000}, {1000, 0, -2, 1000}}};
  const auto runs = summarise_runs({disturbed, disturbed});
  EXPECT_FALSE(runs[0].log_median[1]);
  EXPECT_FALSE(runs[0].log_ratio_to_reference[0]);  // TheOne never valid
  EXPECT_EQ(log_medians(runs, 0).size(), 2u);
  EXPECT_TRUE(present_values(log_medians(runs, 1)).empty());
  EXPECT_EQ(present_values(log_medians(runs, 3)).size(), 2u);
  EXPECT_TRUE(present_values(log_ratios_to_reference(runs, 3)).empty());
}

}  // namespace
}  // namespace callbench
