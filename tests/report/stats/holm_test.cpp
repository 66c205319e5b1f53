#include <gtest/gtest.h>

#include "stats/holm.hpp"

namespace callbench::stats {
namespace {

using P = std::vector<std::optional<double>>;

struct HolmCase {
  const char* what;
  P p, adjusted;
};

TEST(Holm, StepDownOnFixedFamilies) {
  const HolmCase cases[] = {
      // Sorted 0.005, 0.01, 0.03, 0.04 times 4, 3, 2, 1, never falling: 0.02, 0.03, 0.06, 0.06.
      {"four", {0.01, 0.04, 0.03, 0.005}, {0.03, 0.06, 0.06, 0.02}},
      {"missing ones leave the family", {0.01, std::nullopt, 0.04}, {0.02, std::nullopt, 0.04}},
      {"capped at 1", {0.6, 0.7}, {1.0, 1.0}},
      {"ties keep their order", {0.02, 0.02}, {0.04, 0.04}},
      {"one alone", {0.05}, {0.05}},
      {"none", {std::nullopt}, {std::nullopt}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto adjusted = holm_adjust(c.p);
    ASSERT_EQ(adjusted.size(), c.adjusted.size());
    for (std::size_t i = 0; i < adjusted.size(); ++i) {
      ASSERT_EQ(adjusted[i].has_value(), c.adjusted[i].has_value());
      if (adjusted[i]) {
        EXPECT_DOUBLE_EQ(*adjusted[i], *c.adjusted[i]);
      }
    }
  }
}

}  // namespace
}  // namespace callbench::stats
