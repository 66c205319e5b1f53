#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "analyse/run_summaries.hpp"

namespace callbench {
namespace {

constexpr std::size_t kA = 0;

TEST(RunSummaries, MediansLeaveOutDisturbedFigures) {
  // TestNoFrameA, TestNoFrameB, TheOne, TestWithFrame per sweep; <= 0 is disturbed.
  const Figures run = {{{4000, 4100, 4000, 3400}, {4200, -5, 4100, 3500}, {4400, 4300, 0, 3600}}};
  const auto s = summarise_runs({run}).runs[0];
  EXPECT_NEAR(*s.log_median[0], std::log(4200), 1e-12);
  // Medians of logs: the middle one of two is their geometric mean.
  EXPECT_NEAR(*s.log_median[1], (std::log(4100) + std::log(4300)) / 2, 1e-12);
  EXPECT_NEAR(*s.log_median[2], (std::log(4000) + std::log(4100)) / 2, 1e-12);
  EXPECT_NEAR(*s.log_median[3], std::log(3500), 1e-12);
  // Ratios only where both figures are valid: sweeps 1 and 2 for A, sweep 1 for B.
  EXPECT_NEAR(*s.log_ratio_to_reference[0], std::log(4200.0 / 4100) / 2, 1e-12);
  EXPECT_NEAR(*s.log_ratio_to_reference[1], std::log(4100.0 / 4000), 1e-12);
  EXPECT_NEAR(*s.log_ratio_to_reference[3], (std::log(3400.0 / 4000) + std::log(3500.0 / 4100)) / 2, 1e-12);
  EXPECT_NEAR(*s.difference_to_reference[0], 50, 1e-12);
  EXPECT_FALSE(s.log_ratio_to_reference[kReference]);
}

TEST(RunSummaries, ARunWithoutValidFiguresGivesNoValue) {
  const Figures disturbed = {{{1000, 0, 0, 1000}, {1000, -1, -3, 1000}, {1000, 0, -2, 1000}}};
  const auto runs = summarise_runs({disturbed, disturbed});
  EXPECT_FALSE(runs.runs[0].log_median[1]);
  EXPECT_FALSE(runs.runs[0].log_ratio_to_reference[0]);  // TheOne never valid
  EXPECT_EQ(log_medians(runs, 0).size(), 2u);
  EXPECT_TRUE(present_values(log_medians(runs, 1)).empty());
  EXPECT_EQ(present_values(log_medians(runs, 3)).size(), 2u);
  EXPECT_TRUE(present_values(log_ratios_to_reference(runs, 3)).empty());
}

TEST(RunSummaries, DisturbedSweepsEnterNoRatio) {
  // Five runs of TestNoFrameA at 1.2 x TheOne, each run's level `levels` x its
  // number above the first; the first run's sweeps are disturbed as each case says.
  const struct {
    const char* what;
    std::function<void(Figures&)> disturb;
    std::optional<double> ratio;  // of the first run; none when it is left out
    std::size_t left_out;
    double levels = 0;
  } cases[] = {
      {"undisturbed", [](Figures&) {}, 1.2, 0},
      {"TheOne's loop disturbed but positive (a low outlier) in one sweep, at or below 0 in another",
       [](Figures& f) {
         f[0][kReference] = 350;
         f[1][kReference] = 0;
       },
       1.2, 0},
      {"A's own figure a low outlier", [](Figures& f) { f[2][kA] = 300; }, 1.2, 0},
      {"an interrupt in A's loop (a high outlier)", [](Figures& f) { f[0][kA] *= 3; }, 1.2, 0},
      {"runs of different levels: a 1.6 times figure is no outlier, and the median of three sets it aside",
       [](Figures& f) { f[0][kA] = static_cast<std::int32_t>(f[0][kA] * 1.6); }, 1.2, 0, 0.25},
      {"the same in one of two usable sweeps: no telling which is right",
       [](Figures& f) {
         f[0][kA] = static_cast<std::int32_t>(f[0][kA] * 1.6);
         f[1][kReference] = -40;
       },
       std::nullopt, 1, 0.25},
      {"two usable sweeps 4 % apart: both kept",
       [](Figures& f) {
         f[0][kA] = static_cast<std::int32_t>(f[0][kA] * 1.04);
         f[1][kReference] = 0;
       },
       1.2 * std::sqrt(1.04), 0, 0.25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Figures> runs(5);
    for (std::size_t r = 0; r < runs.size(); ++r)
      for (std::size_t s = 0; s < kSweeps; ++s) {
        const int reference =
            static_cast<int>((1000 + 10 * r + 5 * s) * (1 + c.levels * static_cast<double>(r)));
        runs[r][s] =
            Sweep{static_cast<std::int32_t>(std::lround(1.2 * reference)), reference, reference, reference};
      }
    c.disturb(runs[0]);
    const auto summary = summarise_runs(runs);
    const auto& first = summary.runs[0].log_ratio_to_reference[kA];
    EXPECT_EQ(first.has_value(), c.ratio.has_value());
    if (first && c.ratio) {
      EXPECT_NEAR(std::exp(*first), *c.ratio, 2e-3);
    }
    EXPECT_EQ(summary.ratio_left_out[kA], c.left_out);
    EXPECT_EQ(summary.runs[0].difference_to_reference[kA].has_value(), c.ratio.has_value());
    for (std::size_t r = 1; r < runs.size(); ++r)
      EXPECT_NEAR(std::exp(*log_ratios_to_reference(summary, kA)[r]), 1.2, 1e-3);
  }
}

}  // namespace
}  // namespace callbench
