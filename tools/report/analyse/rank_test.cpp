#include "analyse/rank_test.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include <boost/math/distributions/normal.hpp>

namespace callbench {

std::optional<RankTest> mann_whitney(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.empty() || b.empty()) return std::nullopt;
  std::vector<std::pair<double, bool>> pooled;  // value, from a
  pooled.reserve(a.size() + b.size());
  for (double value : a) pooled.emplace_back(value, true);
  for (double value : b) pooled.emplace_back(value, false);
  std::sort(pooled.begin(), pooled.end());

  // Tied values share the mean of their ranks (counted from 1).
  double rank_sum_a = 0, tie_term = 0;
  for (std::size_t first = 0; first < pooled.size();) {
    std::size_t end = first;
    std::size_t from_a = 0;
    while (end < pooled.size() && pooled[end].first == pooled[first].first) from_a += pooled[end++].second;
    const double tied = static_cast<double>(end - first);
    rank_sum_a += static_cast<double>(from_a) * static_cast<double>(first + end + 1) / 2;
    tie_term += tied * tied * tied - tied;
    first = end;
  }

  const double n_a = static_cast<double>(a.size()), n_b = static_cast<double>(b.size());
  const double n = n_a + n_b;
  RankTest test;
  test.u = rank_sum_a - n_a * (n_a + 1) / 2;
  const double variance = n_a * n_b / 12 * ((n + 1) - tie_term / (n * (n - 1)));
  if (!(variance > 0)) return test;  // every value the same: no evidence either way
  const double offset = test.u - n_a * n_b / 2;
  test.z = std::copysign(std::max(std::fabs(offset) - 0.5, 0.0), offset) / std::sqrt(variance);
  const boost::math::normal standard_normal;
  test.p_value = std::min(1.0, 2 * boost::math::cdf(boost::math::complement(standard_normal, std::fabs(test.z))));
  return test;
}

}  // namespace callbench
