#pragma once

#include <vector>

namespace callbench {

// The median of a non-empty sample (Boost.Math).
double median_of(std::vector<double> values);

// Median absolute deviation from the median, unscaled (no 1.4826 factor).
double median_absolute_deviation_of(std::vector<double> values);

// The p-quantile (0 <= p <= 1) of a non-empty sample: linear interpolation between
// order statistics, Hyndman and Fan's type 7 (R's default, numpy's "linear").
double percentile(std::vector<double> values, double p);

}  // namespace callbench
