#include "analyse/statistics.hpp"

#include <algorithm>

namespace callbench {

double median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  if (values.size() % 2 == 1) return *middle;
  const double upper = *middle;
  const double lower = *std::max_element(values.begin(), middle);
  return (lower + upper) / 2;
}

Summary summarise(const std::vector<std::int32_t>& values) {
  Summary s;
  s.count = values.size();
  const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  s.min = *lo;
  s.max = *hi;
  s.median = median(std::vector<double>(values.begin(), values.end()));
  if (s.min > 0) s.spread = (static_cast<double>(s.max) - s.min) / s.min;
  return s;
}

std::optional<double> ratio(double part, double whole) {
  if (!(whole > 0)) return std::nullopt;
  return part / whole;
}

std::optional<double> percent_change(double now, double before) {
  if (!(before > 0)) return std::nullopt;
  return (now - before) / before * 100;
}

}  // namespace callbench
