#include <gtest/gtest.h>

#include "analyse/calibration.hpp"

namespace callbench {
namespace {

TEST(Calibration, SummarisesTimedChains) {
  std::vector<std::uint64_t> ticks = {500, 400, 0, 1000};  // a chain of 0 ticks cannot be divided by
  std::size_t next = 0;
  const auto timer = [&](std::uint64_t additions) { return additions == 1000 ? ticks.at(next++) : 0; };
  const auto calibration = calibrate(timer, 4, 1000);
  ASSERT_TRUE(calibration);
  EXPECT_DOUBLE_EQ(calibration->clocks_per_tick, 2);
  EXPECT_DOUBLE_EQ(calibration->low, 1);
  EXPECT_DOUBLE_EQ(calibration->high, 2.5);
  EXPECT_EQ(calibration->samples, 3);
  EXPECT_EQ(calibration->additions, 1000u);
  ticks = {0, 0}, next = 0;
  EXPECT_FALSE(calibrate(timer, 2, 1000));
}

}  // namespace
}  // namespace callbench
