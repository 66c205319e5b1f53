#include <gtest/gtest.h>

#include <boost/math/statistics/univariate_statistics.hpp>

#include "analyse/bootstrap.hpp"
#include "analyse/sample_statistics.hpp"

namespace callbench {
namespace {

TEST(SampleStatistics, MedianDeviationAndPercentiles) {
  struct {
    std::vector<double> values;
    double median, mad, p0, p25, p975, p1;  // percentiles as numpy's "linear" gives them
  } cases[] = {
      {{5}, 5, 0, 5, 5, 5, 5},
      {{4, 1, 3, 2}, 2.5, 1, 1, 1.75, 3.925, 4},
      {{100, 102, 103, 110, 95}, 102, 2, 95, 100, 109.3, 110},  // Boost 1.74's own MAD says 100
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(median_of(c.values), c.median);
    EXPECT_DOUBLE_EQ(median_absolute_deviation_of(c.values), c.mad);
    const double ps[] = {0, 0.25, 0.975, 1}, expected[] = {c.p0, c.p25, c.p975, c.p1};
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(percentile(c.values, ps[i]), expected[i]) << ps[i];
  }
}

TEST(SampleStatistics, ResampledMedianIsTheMedianOfTheDrawnValues) {
  const std::vector<std::vector<double>> runs = {{5, 1, 9}, {2, 2, 8}, {7}, {}, {3, 2, 6}};
  RunTaggedSample sample(runs.size());
  for (std::size_t run = 0; run < runs.size(); ++run)
    for (double value : runs[run]) sample.add(run, value);
  sample.finish();
  EXPECT_EQ(sample.runs_with_values(), 4u);
  // Medians below, at and above the middle of the whole sample, of odd and even counts.
  for (const auto& weights : std::vector<std::vector<std::uint32_t>>{
           {1, 1, 1, 1, 1}, {5, 0, 0, 0, 0}, {0, 0, 5, 0, 0}, {0, 4, 0, 0, 1}, {4, 0, 1, 0, 0},
           {0, 0, 0, 3, 2}, {0, 1, 1, 3, 0}, {2, 0, 0, 0, 3}, {0, 3, 2, 0, 0}, {1, 0, 0, 4, 0}}) {
    std::vector<double> drawn;
    for (std::size_t run = 0; run < runs.size(); ++run)
      for (std::uint32_t k = 0; k < weights[run]; ++k) drawn.insert(drawn.end(), runs[run].begin(), runs[run].end());
    EXPECT_EQ(sample.median(weights), boost::math::statistics::median(drawn)) << testing::PrintToString(weights);
  }
  EXPECT_FALSE(sample.median({0, 0, 0, 5, 0}));  // only the run without values drawn
}

TEST(Bootstrap, IndicesFromRawOutputAndWideProducts) {
  const std::uint64_t top = ~std::uint64_t{0}, half = std::uint64_t{1} << 63;
  struct {
    std::vector<std::uint64_t> outputs;
    std::uint64_t bound, index;
  } cases[] = {
      {{half}, 3, 1}, {{top}, 10, 9}, {{5}, top, 4},
      // 2^64 mod 3 = 1 and 2^64 mod (2^64 - 1) = 1: output 0 would favour index 0, and is drawn again.
      {{0, half}, 3, 1}, {{0, 1}, top, 0},
  };
  for (const auto& c : cases) {
    std::size_t next = 0;
    auto generator = [&] { return c.outputs.at(next++); };
    EXPECT_EQ(uniform_index(generator, c.bound), c.index) << c.bound;
    EXPECT_EQ(next, c.outputs.size());
  }
  struct {
    std::uint64_t a, b, high, low;
  } products[] = {{top, top, top - 1, 1}, {0xffffffffu, 0xffffffffu, 0, 0xfffffffe00000001u},
                  {0x8000000000000001u, 3, 1, 0x8000000000000003u},
                  {0x123456789abcdef0u, 10, 0, 0xb60b60b60b60b560u}};
  for (const auto& c : products)
    for (const auto product : {multiply_wide(c.a, c.b), multiply_wide_portable(c.a, c.b)})
      EXPECT_TRUE(product.high == c.high && product.low == c.low) << c.a << " * " << c.b;
}

}  // namespace
}  // namespace callbench
