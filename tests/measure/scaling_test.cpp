// The scaling of a tick count to millicycles per call, through the same
// x87 sequence every measurement uses.
#include <gtest/gtest.h>

#include <stdint.h>

#include <random>

extern "C" {
int32_t ScaleTicks(int64_t ticks);
extern int64_t TickTotal;
extern int32_t PassCount;
}

namespace {

constexpr int64_t kPasses = 5000;

// ticks / 5000, rounded to nearest with ties to even, in integers.
int64_t DivideRoundingHalfEven(int64_t ticks) {
  int64_t quotient = ticks / kPasses;  // truncated toward zero
  const int64_t remainder = ticks % kPasses;
  const int64_t twice = 2 * (remainder < 0 ? -remainder : remainder);
  const int64_t away = ticks < 0 ? -1 : 1;
  if (twice > kPasses || (twice == kPasses && quotient % 2 != 0)) quotient += away;
  return quotient;
}

TEST(ScalingTest, RoundsToNearestWithTiesToEven) {
  const struct {
    int64_t ticks;
    int32_t figure;
  } cases[] = {
      {12502500, 2500},  // 2500.5: the even neighbour
      {12507500, 2502},  // 2501.5
      {-5000, -1},      {-2500, 0}, {2500, 0}, {-2501, -1}, {2501, 1}, {0, 0}, {17'500'000, 3500},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleTicks(c.ticks), c.figure) << c.ticks << " ticks";
    EXPECT_EQ(PassCount, kPasses);
  }
}

TEST(ScalingTest, QuotientBeyond32BitsReportsItsLowHalf) {
  const int64_t quotient = (int64_t{1} << 32) + 7;
  EXPECT_EQ(ScaleTicks(quotient * kPasses), 7);
  EXPECT_EQ(TickTotal, quotient);
  EXPECT_EQ(ScaleTicks(-quotient * kPasses), -7);
}

TEST(ScalingTest, AgreesWithIntegerDivisionOverTheWholeRange) {
  std::mt19937_64 random(5000);
  for (int i = 0; i < 100000; ++i) {
    const int shift = static_cast<int>(random() % 64);
    int64_t ticks = static_cast<int64_t>(random()) >> shift;
    if (i % 4 == 0) ticks = (ticks / 2) / kPasses * kPasses + kPasses / 2;  // a tie
    const int64_t expected = DivideRoundingHalfEven(ticks);
    ASSERT_EQ(ScaleTicks(ticks), static_cast<int32_t>(static_cast<uint32_t>(expected))) << ticks;
    ASSERT_EQ(TickTotal, expected) << ticks;
  }
  for (int64_t ticks : {INT64_MAX, INT64_MIN, INT64_MIN + 1}) {
    ScaleTicks(ticks);
    EXPECT_EQ(TickTotal, DivideRoundingHalfEven(ticks)) << ticks;
  }
}

}  // namespace
