#include <gtest/gtest.h>

#include <cmath>

#include "series_builder.hpp"
#include "write/html/broken_axis.hpp"
#include "write/html/figure_summary.hpp"
#include "write/html/thinning.hpp"

namespace callbench {
namespace {

double pixels(const AxisPart& part, const Span& span) {
  return part.width * std::log(span.high / span.low) / std::log(part.high / part.low);
}

// Whatever the ratios, every span lies wholly in one part, parts are in order
// and apart, each is labelled, and, up to four parts, every span of non-zero
// width is at least the asked pixels wide.
TEST(BrokenAxis, ShowsEverySpanAtLeastSoWide) {
  const Span band{0.99, 1.01};
  const struct {
    const char* what;
    std::vector<Span> spans;
    std::size_t parts;
  } cases[] = {
      {"within 20 %", {band, {1.05, 1.08}, {1.08, 1.12}, {0.84, 0.86}}, 1},
      {"one ten times dearer", {band, {9.36, 9.43}, {1.078, 1.091}, {1.094, 1.103}}, 2},
      {"estimates alone", {band, {1.04, 1.04}, {9.6, 9.6}}, 2},
      {"far apart", {band, {0.1, 0.1001}, {10, 10.01}, {100, 100.1}, {1000, 1000.1}}, 4},
      {"nothing known", {}, 1},
  };
  for (const auto& c : cases) {
    const std::vector<AxisPart> parts = broken_axis(c.spans, 500, 8, 0.5);
    EXPECT_EQ(parts.size(), c.parts) << c.what;
    for (std::size_t k = 0; k < parts.size(); ++k) {
      EXPECT_LT(parts[k].low, parts[k].high) << c.what;
      if (k > 0) {
        EXPECT_LT(parts[k - 1].high, parts[k].low) << c.what;
      }
      EXPECT_GE(parts[k].ticks.size(), 1u) << c.what;
      for (double tick : parts[k].ticks) EXPECT_TRUE(tick >= parts[k].low && tick <= parts[k].high) << c.what;
    }
    for (const Span& span : c.spans) {
      const AxisPart& part = parts[part_holding(parts, span)];
      EXPECT_TRUE(span.low >= part.low && span.high <= part.high) << c.what << " " << span.low;
      if (span.high > span.low && parts.size() < 4) {
        EXPECT_GE(pixels(part, span), 8) << c.what << " " << span.low;
      }
    }
  }
}

// A warm-up run some 8 % dearer than figures within ±2 % stays on the scale;
// one wild figure five times the rest does not squeeze them; steady figures
// keep their neighbours. Either way the middle 90 % fills kCoreShare or more.
TEST(RobustRange, KeepsTheBulkReadable) {
  const auto steady = [](std::int32_t base, std::size_t count) {
    std::vector<std::int32_t> figures;
    for (std::size_t i = 0; i < count; ++i)
      figures.push_back(static_cast<std::int32_t>(base * (1 + 0.02 * (static_cast<double>(i % 21) / 10 - 1))));
    return figures;
  };
  std::vector<std::int32_t> warm = steady(30000, 120);
  warm.insert(warm.end(), {32400, 32350, 32300});
  std::vector<std::int32_t> wild = steady(3000, 120);
  wild.push_back(15000);
  const struct {
    const char* what;
    std::vector<std::int32_t> figures;
    bool all_on_scale;
  } cases[] = {
      {"steady", {1000, 1010, 1020, 1000, 1010, 1020}, true},
      {"warm-up", warm, true},
      {"wild", wild, false},
  };
  for (const auto& c : cases) {
    const FigureSummary summary = summarise(c.figures);
    const ValueRange range = robust_range(summary);
    EXPECT_EQ(range.low <= summary.min && range.high >= summary.max, c.all_on_scale) << c.what;
    EXPECT_GE(range.low, summary.min) << c.what;
    EXPECT_LE(range.high, summary.max) << c.what;
    EXPECT_GE((summary.p95 - summary.p05) / (range.high - range.low), kCoreShare - 1e-9) << c.what;
  }
  const FigureSummary disturbed = summarise({-5, 0, -40});
  EXPECT_EQ(disturbed.valid, 0u);
  EXPECT_EQ(disturbed.disturbed, 3u);
  EXPECT_EQ(disturbed.lowest_disturbed, -40);
}

TEST(Thinning, DrawsAtMostTheMostAndSummarisesRunsInOrder) {
  EXPECT_EQ(stride_for(0, 100), 1u);
  EXPECT_EQ(stride_for(100, 100), 1u);
  EXPECT_EQ(stride_for(101, 100), 2u);
  EXPECT_EQ(stride_for(360000, 4000), 90u);

  // Run r has figures 10r, 10r + 1, 10r + 2, TheOne disturbed in run 5.
  Series series = series_of(make_runs(10, [](std::size_t run, std::size_t sweep) {
    const auto figure = static_cast<std::int32_t>(10 * (run + 1) + sweep);
    return Sweep{figure, figure, run == 4 ? 0 : figure, figure};
  }));
  const std::vector<RunBin> bins = bin_runs(series, kReference, 4);
  ASSERT_EQ(bins.size(), 3u);
  EXPECT_EQ(bins[0].first_run, 1);
  EXPECT_EQ(bins[0].last_run, 4);
  EXPECT_EQ(bins[0].valid, 12u);
  EXPECT_DOUBLE_EQ(bins[0].median, 26);  // between 22 and 30
  EXPECT_EQ(bins[1].disturbed, 3u);
  EXPECT_EQ(bins[2].first_run, 9);
  EXPECT_EQ(bins[2].last_run, 10);
  EXPECT_LT(bins[2].low, bins[2].median);
  EXPECT_LT(bins[2].median, bins[2].high);
}

}  // namespace
}  // namespace callbench
