// What CPUID and the time-stamp counter say about this machine.
#include <gtest/gtest.h>

#include <algorithm>

#include "system/processor.hpp"

namespace callbench {
namespace {

TEST(Processor, NamesItsBrandWithoutPadding) {
  const auto brand = read_processor().brand;
  ASSERT_FALSE(brand.empty());
  EXPECT_NE(brand.front(), ' ');
  EXPECT_NE(brand.back(), ' ');
}

// The shortest of several tries, as interruptions only ever add ticks.
std::uint64_t fastest(std::uint64_t additions) {
  std::uint64_t best = time_addition_chain(additions).ticks;
  for (int i = 0; i < 9; ++i) best = std::min(best, time_addition_chain(additions).ticks);
  return best;
}

TEST(Processor, ALongerAdditionChainTakesLonger) {
  const auto short_chain = fastest(10'000);
  const auto long_chain = fastest(1'000'000);
  EXPECT_GT(long_chain, short_chain);
  EXPECT_GT(fastest(1'000'037), fastest(37)) << "a chain that is not a whole number of blocks";
}

}  // namespace
}  // namespace callbench
