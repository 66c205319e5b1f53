#include <gtest/gtest.h>

#include <stdexcept>

#include "series_builder.hpp"

namespace callbench {
namespace {

constexpr std::size_t kA = 0, kB = 1, kFrame = 3;

// TheOne varies by sweep (multiples of 4, so that scaled figures stay exact); the rest are a fixed factor of it.
std::vector<RunFigures> scaled_runs(std::size_t runs, double factor) {
  return make_runs(runs, [=](std::size_t run, std::size_t sweep) {
    const int reference = static_cast<int>(1000 + 20 * run + 4 * sweep);
    const auto scaled = static_cast<std::int32_t>(reference * factor);
    return Sweep{scaled, scaled, reference, scaled};
  });
}

TEST(SeriesAnalysis, FixedFactorsGiveExactRatiosAndVerdicts) {
  struct {
    double factor, threshold;
    PairedVerdict verdict;
  } cases[] = {
      {2, 0.01, PairedVerdict::Slower},
      {0.75, 0.01, PairedVerdict::Faster},
      {1.25, 0.25, PairedVerdict::Indistinguishable},  // exactly at the threshold: not claimed
      {1.25, 0.24, PairedVerdict::Slower},
      {0.75, 0.25, PairedVerdict::Indistinguishable},
  };
  for (const auto& c : cases) {
    AnalysisSettings settings;
    settings.noise_threshold = c.threshold;
    const auto analysis = analyse_series(scaled_runs(5, c.factor), {}, settings, std::nullopt);
    for (std::size_t p : {kA, kB, kFrame}) {
      const auto& paired = analysis.paired[p];
      EXPECT_EQ(paired.sweeps, 15u);
      EXPECT_EQ(paired.higher, c.factor > 1 ? 15u : 0u);
      EXPECT_TRUE(paired.ratio->resampled);
      EXPECT_EQ(paired.ratio->estimate, c.factor);
      EXPECT_TRUE(paired.ratio->low == c.factor && paired.ratio->high == c.factor);
      EXPECT_DOUBLE_EQ(paired.difference->estimate, (c.factor - 1) * 1044);  // 1044: the middle TheOne figure
      EXPECT_EQ(paired.verdict, c.verdict) << c.factor << " " << c.threshold;
    }
    EXPECT_EQ(widest_paired_interval(analysis), 0.0);
    EXPECT_TRUE(analysis.paired[kReference].sweeps == 0 && !analysis.paired[kReference].ratio);
  }
}

TEST(SeriesAnalysis, SymmetricNoiseAroundTheReferenceIsIndistinguishable) {
  const auto analysis = analyse_series(noisy_runs(30, {4100, 4100, 4100, 4100}, 1, 0.05, 7), {}, {}, std::nullopt);
  for (std::size_t p : {kA, kB, kFrame}) {
    EXPECT_TRUE(analysis.paired[p].ratio->low < 1 && analysis.paired[p].ratio->high > 1);
    EXPECT_EQ(analysis.paired[p].verdict, PairedVerdict::Indistinguishable);
  }
  EXPECT_GT(widest_paired_interval(analysis).value_or(0), 0);
  EXPECT_DOUBLE_EQ((Interval{2, 1.5, 2.2, true}.relative_half_width()), 0.25);
}

TEST(SeriesAnalysis, DisturbedFiguresAreCountedAndLeftOut) {
  const std::vector<RunFigures> runs = {
      {{{2000, 1500, 1000, 750}, {2000, 1500, -50, 750}, {2000, 1500, 1000, 750}}},
      {{{2000, 1500, 1000, 750}, {2000, 1500, 1000, 750}, {0, 1500, 1000, 750}}},
  };
  const auto analysis = analyse_series(runs, {}, {}, std::nullopt);
  const auto& reference = analysis.procedures[kReference];
  EXPECT_TRUE(reference.valid == 5 && reference.disturbed == 1 && reference.min == 1000);
  const auto& a = analysis.procedures[kA];
  EXPECT_TRUE(a.valid == 5 && a.disturbed == 1 && a.min == 2000 && a.median->estimate == 2000);
  // The disturbed reference takes B's sweep out of the pairing only.
  EXPECT_EQ(analysis.procedures[kB].valid, 6u);
  EXPECT_EQ(analysis.paired[kB].sweeps, 5u);
  EXPECT_EQ(analysis.paired[kA].sweeps, 4u);
  EXPECT_EQ(analysis.paired[kA].ratio->estimate, 2);
}

TEST(SeriesAnalysis, SpreadIsTheRelativeMedianAbsoluteDeviation) {
  struct {
    std::int32_t deviation;
    double spread;
    bool noisy;
  } cases[] = {{0, 0, false}, {40, 0.04, false}, {50, 0.05, false}, {60, 0.06, true}};
  for (const auto& c : cases) {
    // 1000, 1000 +- d, 1000 +- 100: deviations 0 0 d d 100 100.
    const auto runs = make_runs(2, [&](std::size_t run, std::size_t sweep) {
      const std::int32_t offsets[] = {0, c.deviation, 100}, figure = 1000 + (run ? -1 : 1) * offsets[sweep];
      return Sweep{figure, figure, figure, figure};
    });
    const auto own = analyse_series(runs, {0.5, 0.7, 0.6}, {}, 1.5).procedures[kA];
    EXPECT_DOUBLE_EQ(*own.spread, c.spread);
    EXPECT_EQ(own.noisy, c.noisy) << c.deviation;
    EXPECT_DOUBLE_EQ(*own.core_cycles_per_call, 900 / 1000.0 * 1.5);
  }
}

TEST(SeriesAnalysis, SeedDecidesTheIntervalsAndOneRunHasNone) {
  const Sweep base{5600, 3800, 4100, 3550};
  const auto runs = noisy_runs(20, base, 1, 0.1, 3);
  AnalysisSettings other;
  other.seed = kDefaultSeed + 1;
  const auto ends = [&runs](const AnalysisSettings& settings) {
    const auto analysis = analyse_series(runs, {}, settings, std::nullopt);
    std::vector<std::optional<Interval>> intervals;
    for (std::size_t p = 0; p < kProcedures; ++p)
      intervals.insert(intervals.end(),
                       {analysis.procedures[p].median, analysis.paired[p].ratio, analysis.paired[p].difference});
    std::vector<double> ends;
    for (const auto& interval : intervals)
      if (interval) ends.insert(ends.end(), {interval->low, interval->high});
    return ends;
  };
  const auto first = ends({}), reseeded = ends(other);
  EXPECT_EQ(ends({}), first);
  ASSERT_EQ(reseeded.size(), 20u);
  // Medians of resamples take few distinct values, so an end may stay put under another seed; not every one.
  std::size_t moved = 0;
  for (std::size_t i = 0; i < first.size(); ++i) moved += first[i] != reseeded[i];
  EXPECT_GE(moved, 5u);

  const auto single = analyse_series(noisy_runs(1, base, 1, 0.1, 3), {0.5}, {}, std::nullopt);
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const auto& median = *single.procedures[p].median;
    EXPECT_TRUE(!median.resampled && median.low == median.estimate && median.high == median.estimate);
    EXPECT_EQ(single.paired[p].verdict, PairedVerdict::Unknown);
  }
  EXPECT_FALSE(widest_paired_interval(single));
  EXPECT_EQ(single.median_wall_seconds, 0.5);
  EXPECT_FALSE(analyse_series(runs, {}, {}, std::nullopt).median_wall_seconds);
  other.resamples = kMinResamples - 1;
  EXPECT_THROW(analyse_series(runs, {}, other, std::nullopt), std::invalid_argument);
}

}  // namespace
}  // namespace callbench
