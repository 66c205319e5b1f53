#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace callbench::stats {

// The median (mean of the middle two for an even count); none without values.
std::optional<double> median(std::vector<double> values);

// The median absolute deviation from the median, unscaled; none without values.
std::optional<double> median_absolute_deviation(const std::vector<double>& values);

// median -+ k x 1.4826 x MAD: a value beyond them lies far from the rest, as a
// figure from a disturbed measurement does (1.4826 MAD estimates the standard
// deviation of normal figures); none without values.
struct OutlierLimits {
  double low = 0, high = 0;
};
std::optional<OutlierLimits> outlier_limits(const std::vector<double>& values, double k);

// How many values lie below the low limit, and above the high one.
std::size_t count_low_outliers(const std::vector<double>& values, double k = 5);
std::size_t count_high_outliers(const std::vector<double>& values, double k = 5);

}  // namespace callbench::stats
