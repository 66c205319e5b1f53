#include "analyse/sample_statistics.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include <boost/math/statistics/univariate_statistics.hpp>

namespace callbench {

double median_of(std::vector<double> values) {
  return boost::math::statistics::median(values);
}

double median_absolute_deviation_of(std::vector<double> values) {
  const double center = median_of(values);
  // Boost 1.74's median_absolute_deviation returns the element at the median
  // distance rather than the distance itself (fixed in 1.83), so take the
  // median of the distances.
  for (double& value : values) value = std::fabs(value - center);
  return median_of(std::move(values));
}

double percentile(std::vector<double> values, double p) {
  const double position = p * static_cast<double>(values.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(position));
  const auto nth = values.begin() + static_cast<std::ptrdiff_t>(below);
  std::nth_element(values.begin(), nth, values.end());
  const double lower = *nth;
  if (below + 1 >= values.size()) return lower;
  const double upper = *std::min_element(nth + 1, values.end());
  return lower + (position - static_cast<double>(below)) * (upper - lower);
}

}  // namespace callbench
