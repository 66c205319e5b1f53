#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "stats/levels.hpp"

namespace callbench::stats {

// A mean with its standard error and the degrees of freedom of that error.
struct MeanEstimate {
  double mean = 0;
  double standard_error = 0;  // infinite with a single value
  double df = 0;              // n - 1 for a plain sample; Satterthwaite's for combinations
  std::size_t values = 0;
};

// A two-sided t interval around a mean, on the scale the values were given in.
struct TInterval {
  double low = 0, high = 0;
  double half_width = 0;  // t quantile x standard error
};

// An estimate with its confidence interval; with fewer than two values there
// is none (bounded is false, low and high equal the estimate).
struct Interval {
  double estimate = 0;
  double low = 0, high = 0;
  bool bounded = false;
  // The larger distance from the estimate to an end, relative to the estimate
  // (infinite for an estimate of 0 with an interval around it).
  double relative_half_width() const;
};

// The sample mean and its standard error s / sqrt(n), with s^2 taken as at
// least least_variance (what one value's own measurement allows it); none
// without values.
std::optional<MeanEstimate> estimate_mean(const std::vector<double>& values, double least_variance = 0);

// The sample standard deviation (n - 1 in the denominator); 0 below two values.
double sample_standard_deviation(const std::vector<double>& values);

// mean +- t(1 - (1 - confidence) / 2, df) x standard error; none with df <= 0
// or an infinite standard error (a single value says nothing of its spread).
std::optional<TInterval> t_interval(const MeanEstimate& estimate, double confidence = kConfidence);

// The estimate with its t interval where it has one, on the values' scale or,
// for logs, back on the scale they are logs of.
Interval interval_of(const MeanEstimate& estimate, bool logs);

// interval_of the mean of the values (s^2 at least least_variance); none without values.
std::optional<Interval> mean_interval(const std::vector<double>& values, bool logs, double least_variance = 0);

// Two-sided p-value of the mean against `null_mean`; none where t_interval gives none.
std::optional<double> t_test_p(const MeanEstimate& estimate, double null_mean = 0);

}  // namespace callbench::stats
