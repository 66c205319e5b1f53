// The order of interleaved pairs: balanced for every seed and run count, kept
// balanced past them, and a different order for a different seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "core/settings.hpp"
#include "run/pair_order.hpp"

namespace callbench {
namespace {

std::string order_of(std::uint64_t seed, int runs, int pairs) {
  PairOrder order(seed, runs);
  std::string text;
  for (int pair = 1; pair <= pairs; ++pair) text += order.second_first(pair) ? 'B' : 'A';
  return text;
}

const std::uint64_t kSeeds[] = {0,        1,         2,          3,
                                20261209, 123456789, 1ULL << 40, static_cast<std::uint64_t>(kMaxSeed)};

TEST(PairOrder, EachSideGoesFirstInHalfThePairsForEverySeedAndRunCount) {
  for (const auto seed : kSeeds) {
    for (int runs = 1; runs <= 41; ++runs) {
      // Past the runs asked for, as a precision target makes them: balanced wherever it stops.
      const std::string order = order_of(seed, runs, runs + 31);
      SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(runs) + " runs: " + order);
      int a = 0, b = 0;
      for (int pair = 1; pair <= runs + 31; ++pair) {
        ++(order[static_cast<std::size_t>(pair - 1)] == 'A' ? a : b);
        if (pair == runs) {
          EXPECT_EQ(std::min(a, b), runs / 2) << "after the runs asked for";
        }
        if (pair >= runs) {
          EXPECT_LE(std::abs(a - b), 1) << "after " << pair << " pairs";
        }
      }
      EXPECT_EQ(order_of(seed, runs, runs + 31), order) << "the same seed, the same order";
    }
  }
}

TEST(PairOrder, ADifferentSeedGivesADifferentOrderAndEveryPairGoesEitherWay) {
  EXPECT_NE(order_of(1, 10, 10), order_of(2, 10, 10));
  std::set<std::string> orders;
  int b_first_at[10] = {};
  for (std::uint64_t seed = 0; seed < 400; ++seed) {
    const auto order = order_of(seed, 10, 10);
    orders.insert(order);
    for (std::size_t pair = 0; pair < 10; ++pair) b_first_at[pair] += order[pair] == 'B';
  }
  // 252 balanced orders of ten pairs exist; 400 fair draws miss few of them.
  EXPECT_GT(orders.size(), 200u);
  for (const int count : b_first_at) {
    EXPECT_GT(count, 140) << "a pair goes B-first far less than half the time";
    EXPECT_LT(count, 260) << "a pair goes B-first far more than half the time";
  }
  // Past the runs asked for, a level count is broken either way.
  std::set<char> next_after_level;
  for (std::uint64_t seed = 0; seed < 40; ++seed) next_after_level.insert(order_of(seed, 10, 11).back());
  EXPECT_EQ(next_after_level.size(), 2u);
}

TEST(PairOrder, FreshSeedsDifferAndSurviveADoubleReader) {
  std::set<std::uint64_t> seeds;
  for (int i = 0; i < 8; ++i) {
    const auto seed = fresh_order_seed();
    EXPECT_LE(seed, static_cast<std::uint64_t>(kMaxSeed));
    EXPECT_EQ(static_cast<std::uint64_t>(static_cast<double>(seed)), seed);
    seeds.insert(seed);
  }
  EXPECT_EQ(seeds.size(), 8u);
}

}  // namespace
}  // namespace callbench
