#include "stats/robust.hpp"

#include <algorithm>
#include <cmath>

namespace callbench::stats {

std::optional<double> median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + middle, values.end());
  const double upper = values[middle];
  if (values.size() % 2 == 1) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + middle);
  return (lower + upper) / 2;
}

std::optional<double> median_absolute_deviation(const std::vector<double>& values) {
  const auto centre = median(values);
  if (!centre) return std::nullopt;
  std::vector<double> deviations;
  deviations.reserve(values.size());
  for (double v : values) deviations.push_back(std::fabs(v - *centre));
  return median(std::move(deviations));
}

std::optional<OutlierLimits> outlier_limits(const std::vector<double>& values, double k) {
  const auto centre = median(values);
  if (!centre) return std::nullopt;
  const double reach = k * 1.4826 * *median_absolute_deviation(values);
  return OutlierLimits{*centre - reach, *centre + reach};
}

std::size_t count_low_outliers(const std::vector<double>& values, double k) {
  const auto limits = outlier_limits(values, k);
  if (!limits) return 0;
  return static_cast<std::size_t>(
      std::count_if(values.begin(), values.end(), [&](double v) { return v < limits->low; }));
}

std::size_t count_high_outliers(const std::vector<double>& values, double k) {
  const auto limits = outlier_limits(values, k);
  if (!limits) return 0;
  return static_cast<std::size_t>(
      std::count_if(values.begin(), values.end(), [&](double v) { return v > limits->high; }));
}

}  // namespace callbench::stats
