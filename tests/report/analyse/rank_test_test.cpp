#include <gtest/gtest.h>

#include "analyse/rank_test.hpp"

namespace callbench {
namespace {

// From an independent Python reference: U by counting pairs (ties half), tie
// correction from value counts, continuity 0.5, p from math.erfc.
TEST(RankTest, MannWhitneyAgainstKnownAnswers) {
  struct {
    std::vector<double> a, b;
    double u, z, p;
  } cases[] = {
      {{1, 2, 3}, {4, 5, 6}, 0, -1.74574312189, 0.0808555983701},
      {{1, 2, 2, 3}, {2, 3, 4, 5}, 2.5, -1.48835139447, 0.136658247738},
      {{10, 20, 30, 40, 50}, {15, 25}, 7, 0.580947501931, 0.561275836135},
      {{7, 7, 8, 9}, {1, 7, 7}, 10, 1.36533162081, 0.172148844824},
      {{5, 5}, {5, 5}, 2, 0, 1},  // no variance at all
      {{2}, {1}, 1, 0, 1},        // within the continuity correction
  };
  for (const auto& c : cases) {
    const auto test = mann_whitney(c.a, c.b);
    ASSERT_TRUE(test);
    EXPECT_DOUBLE_EQ(test->u, c.u) << testing::PrintToString(c.a);
    EXPECT_NEAR(test->z, c.z, 1e-10) << testing::PrintToString(c.a);
    EXPECT_NEAR(test->p_value, c.p, 1e-10) << testing::PrintToString(c.a);
  }
  EXPECT_FALSE(mann_whitney({}, {1, 2}) || mann_whitney({1, 2}, {}));
}

}  // namespace
}  // namespace callbench
