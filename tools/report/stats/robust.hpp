#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace callbench::stats {

// The median (mean of the middle two for an even count); none without values.
std::optional<double> median(std::vector<double> values);

// The median absolute deviation from the median, unscaled; none without values.
std::optional<double> median_absolute_deviation(const std::vector<double>& values);

// How many values lie below median - k x 1.4826 x MAD: far below the rest, as
// a figure from a disturbed measurement does. (1.4826 MAD estimates the
// standard deviation of normal figures.)
std::size_t count_low_outliers(const std::vector<double>& values, double k = 5);

}  // namespace callbench::stats
