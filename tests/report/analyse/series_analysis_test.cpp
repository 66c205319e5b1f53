// One series analysed with runs as the unit: exact ratios and every verdict at
// its boundary, disturbed and suspect figures, the spread, the clock.
#include <gtest/gtest.h>

#include <tuple>

#include "analyse/precision.hpp"
#include "analyse/series_analysis.hpp"
#include "series_builder.hpp"

namespace callbench {
namespace {

constexpr std::size_t kA = 0, kB = 1, kFrame = 3;

// TheOne varies by run and sweep; the rest are a fixed factor of it, give or
// take a per-run wobble and a sweep's own 0.2 % (sweeps never agree exactly).
std::vector<Figures> scaled_runs(std::size_t runs, double factor, double wobble = 0) {
  return make_runs(runs, [=](std::size_t run, std::size_t sweep) {
    const int reference = static_cast<int>(1000 + 20 * run + 4 * sweep);
    const double jitter = 0.002 * static_cast<double>(static_cast<int>((run + 2 * sweep) % 3) - 1);
    const double f = factor * (1 + (run % 2 ? wobble : -wobble) + jitter);
    const auto scaled = static_cast<std::int32_t>(std::lround(reference * f));
    return Sweep{scaled, scaled, reference, scaled};
  });
}

TEST(SeriesAnalysis, VerdictsFollowTheIntervalTheThresholdAndTheTest) {
  const struct {
    double factor, wobble, threshold;
    std::size_t runs;
    Verdict verdict;
    std::size_t higher;  // sweeps where the procedure costs more than TheOne
  } cases[] = {
      {2, 0, 0.01, 5, Verdict::Slower, 15},
      {0.75, 0, 0.01, 5, Verdict::Faster, 0},
      {1.25, 0, 0.26, 5, Verdict::Equivalent, 15},
      {1.25, 0, 0.24, 5, Verdict::Slower, 15},
      {1.004, 0, 0.01, 5, Verdict::Equivalent, 15},
      {1.10, 0.02, 0.01, 6, Verdict::Slower, 18},       // wobbling runs, still clear
      {1.01, 0.05, 0.01, 6, Verdict::Inconclusive, 9},  // the interval spans the threshold
      {2, 0, 0.01, 1, Verdict::Inconclusive, 3},        // one run: no interval at all
      {1, 0, 0.01, 6, Verdict::Equivalent, 6},          // a third of the sweeps tie, not higher
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.factor) + " wobble " + std::to_string(c.wobble) + " threshold " +
                 std::to_string(c.threshold) + " runs " + std::to_string(c.runs));
    AnalysisSettings settings;
    settings.noise_threshold = c.threshold;
    const auto analysis = analyse_series(series_of(scaled_runs(c.runs, c.factor, c.wobble)), settings);
    for (std::size_t p : {kA, kB, kFrame}) {
      const auto& paired = analysis.paired[p];
      EXPECT_EQ(paired.sweeps, 3 * c.runs);
      EXPECT_EQ(paired.higher, c.higher);
      EXPECT_EQ(paired.decision.verdict, c.verdict);
      EXPECT_NEAR(paired.decision.ratio.estimate, c.factor, c.factor * (c.wobble + 1e-3));
      EXPECT_EQ(paired.decision.ratio.bounded, c.runs > 1);
      if (c.wobble == 0 && c.runs > 1) {
        EXPECT_NEAR(paired.decision.ratio.low, paired.decision.ratio.high, 5e-3 * c.factor) << "little spread";
        EXPECT_LT(paired.decision.ratio.low, paired.decision.ratio.high) << "but some: the sweeps scatter";
      }
      if (c.verdict == Verdict::Inconclusive && c.runs > 1) {
        EXPECT_TRUE(paired.decision.resolvable && paired.decision.runs_needed);
        EXPECT_GT(*paired.decision.runs_needed, static_cast<int>(c.runs));
      }
    }
    EXPECT_FALSE(analysis.paired[kReference].decision.ratio.bounded);
  }
}

TEST(SeriesAnalysis, RunsThatAgreeOnlyByChanceClaimNothing) {
  // Sweeps from 2,000 to 8,000 whose per-run medians happen to be equal: A's
  // median 4200 and its ratio 1.05 in both runs. The runs' lack of scatter is a
  // coincidence the sweeps show up, not a precision.
  const std::vector<Figures> runs = {
      {{{8000, 2000, 2000, 2000}, {4200, 4000, 4000, 4000}, {2100, 8000, 8000, 8000}}},
      {{{2100, 8000, 8000, 8000}, {4200, 4000, 4000, 4000}, {8000, 2000, 2000, 2000}}},
  };
  const auto analysis = analyse_series(series_of(runs), AnalysisSettings{});
  const auto& median = *analysis.procedures[kA].median;
  EXPECT_NEAR(median.estimate, 4200, 1e-9);
  EXPECT_GT(median.high / median.low, 1.2) << median.low << " to " << median.high;
  const auto& ratio = analysis.paired[kA].decision;
  EXPECT_NEAR(ratio.ratio.estimate, 1.05, 1e-9);
  EXPECT_GT(ratio.ratio.high / ratio.ratio.low, 1.5) << ratio.ratio.low << " to " << ratio.ratio.high;
  EXPECT_GT(*ratio.p_value, 0.05);
  EXPECT_EQ(ratio.verdict, Verdict::Inconclusive);
  EXPECT_GT(analysis.paired[kA].difference->high - analysis.paired[kA].difference->low, 1000);
  // TheOne's copies agree in every sweep: no scatter at all, no width, and no claim from that either.
  const auto& same = analysis.paired[kB].decision;
  EXPECT_EQ(same.ratio.low, same.ratio.high);
  EXPECT_EQ(same.verdict, Verdict::Inconclusive);
  EXPECT_FALSE(same.runs_needed);
}

TEST(SeriesAnalysis, APrecisionIsNotReachedByRunsThatAgreeExactly) {
  const auto identical = make_runs(3, [](std::size_t, std::size_t) { return Sweep{1500, 1000, 1000, 1000}; });
  EXPECT_FALSE(precision_status({series_of(identical).runs}, 0.01, AnalysisSettings{})) << "no width to judge";
  const auto scattered = series_of(scaled_runs(3, 1.5)).runs;
  const auto status = precision_status({scattered}, 0.01, AnalysisSettings{});
  ASSERT_TRUE(status);
  EXPECT_GT(status->widest, 0);
  EXPECT_LT(status->widest, 0.01);
}

TEST(SeriesAnalysis, HolmTakesTheThreeRatiosAsOneFamily) {
  // Three procedures alike: each p-value is multiplied by at most 3, never more.
  const auto analysis = analyse_series(series_of(scaled_runs(4, 1.03, 0.01)), AnalysisSettings{});
  for (std::size_t p : {kA, kB, kFrame}) {
    const auto& d = analysis.paired[p].decision;
    ASSERT_TRUE(d.p_value && d.p_adjusted);
    EXPECT_GE(*d.p_adjusted, *d.p_value);
    EXPECT_LE(*d.p_adjusted, std::min(1.0, 3 * *d.p_value) + 1e-12);
  }
}

TEST(SeriesAnalysis, DisturbedAndSuspectFiguresAreCountedAndLeftOut) {
  auto runs = std::vector<Figures>{
      {{{2000, 1500, 1000, 750}, {2000, 1500, -50, 750}, {2000, 1500, 1000, 750}}},
      {{{2000, 1500, 1000, 750}, {2000, 1500, 1000, 750}, {0, 1500, 1000, 750}}},
      {{{2000, 1500, 1010, 750}, {2010, 300, 1000, 755}, {2000, 1510, 1000, 750}}},
  };
  const auto analysis = analyse_series(series_of(runs), AnalysisSettings{});
  const auto& reference = analysis.procedures[kReference];
  EXPECT_TRUE(reference.valid == 8 && reference.disturbed == 1 && reference.min == 1000);
  const auto& a = analysis.procedures[kA];
  EXPECT_TRUE(a.valid == 8 && a.disturbed == 1 && a.min == 2000);
  EXPECT_NEAR(a.median->estimate, 2000, 1e-9);
  // A figure a fifth of the others is suspect; it moves the minimum, not the median.
  EXPECT_EQ(analysis.procedures[kB].low_outliers, 1u);
  EXPECT_EQ(analysis.procedures[kB].min, 300);
  EXPECT_NEAR(analysis.procedures[kB].median->estimate, 1500, 5);
  // The disturbed reference takes that sweep out of the pairing only.
  EXPECT_EQ(analysis.paired[kB].sweeps, 8u);
  EXPECT_EQ(analysis.paired[kA].sweeps, 7u);
}

TEST(SeriesAnalysis, SpreadClockAndWallTime) {
  const struct {
    std::int32_t deviation;
    double spread;
    bool noisy;
  } cases[] = {{0, 0, false}, {40, 0.04, false}, {50, 0.05, false}, {60, 0.06, true}};
  for (const auto& c : cases) {
    // 1000, 1000 +- d, 1000 +- 100: deviations 0 0 d d 100 100.
    auto series = series_of(make_runs(2, [&](std::size_t run, std::size_t sweep) {
      const std::int32_t offsets[] = {0, c.deviation, 100}, figure = 1000 + (run ? -1 : 1) * offsets[sweep];
      return Sweep{figure, figure, figure, figure};
    }));
    series.runs[0].wall_seconds = 0.5;
    series.runs[1].wall_seconds = 0.7;
    series.conditions.calibration_before = Calibration{{1.4, 1.5, 1.5}, 1000};
    series.conditions.calibration_after = Calibration{{1.5}, 1000};
    const auto analysis = analyse_series(series, AnalysisSettings{});
    const auto& own = analysis.procedures[kA];
    EXPECT_DOUBLE_EQ(*own.spread, c.spread);
    EXPECT_EQ(own.noisy, c.noisy) << c.deviation;
    EXPECT_TRUE(analysis.clock && analysis.clock->stable);
    EXPECT_NEAR(*own.core_cycles_per_call, own.median->estimate / 1000.0 * 1.5, 1e-9);
    EXPECT_DOUBLE_EQ(*analysis.median_wall_seconds, 0.6);
  }
  const std::tuple<double, double, bool> clocks[] = {{1.05, 1.03, true}, {1.05, 1.0, false}, {1.0, 1.1, false}};
  for (const auto& [before, after, stable] : clocks) {  // calibrations 1.9, 4.8, 9.1 % apart: unstable past 3 %
    auto series = series_of(scaled_runs(3, 1));
    series.conditions.calibration_before = Calibration{{before}, 1000};
    series.conditions.calibration_after = Calibration{{after}, 1000};
    const auto analysis = analyse_series(series, AnalysisSettings{});
    EXPECT_EQ(analysis.clock->stable, stable) << before << " then " << after;
    EXPECT_EQ(analysis.procedures[kA].core_cycles_per_call.has_value(), stable);
  }
}

}  // namespace
}  // namespace callbench
