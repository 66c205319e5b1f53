#include "stats/mean_estimate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "stats/student_t.hpp"

namespace callbench::stats {

namespace {

bool usable(const MeanEstimate& e) {
  return e.df > 0 && std::isfinite(e.standard_error);
}

}  // namespace

double sample_standard_deviation(const std::vector<double>& values) {
  const std::size_t n = values.size();
  if (n < 2) return 0;
  double mean = 0;
  for (double v : values) mean += v;
  mean /= static_cast<double>(n);
  double squares = 0;
  for (double v : values) squares += (v - mean) * (v - mean);
  return std::sqrt(squares / static_cast<double>(n - 1));
}

std::optional<MeanEstimate> estimate_mean(const std::vector<double>& values, double least_variance) {
  if (values.empty()) return std::nullopt;
  const double n = static_cast<double>(values.size());
  double sum = 0;
  for (double v : values) sum += v;
  MeanEstimate e;
  e.values = values.size();
  e.mean = sum / n;
  e.df = n - 1;
  const double s = sample_standard_deviation(values);
  e.standard_error = values.size() < 2 ? std::numeric_limits<double>::infinity()
                                       : std::sqrt(std::max(s * s, least_variance) / n);
  return e;
}

std::optional<TInterval> t_interval(const MeanEstimate& estimate, double confidence) {
  if (!(confidence > 0 && confidence < 1)) throw std::invalid_argument("confidence must lie in (0, 1)");
  if (!usable(estimate)) return std::nullopt;
  const double half = t_quantile(1 - (1 - confidence) / 2, estimate.df) * estimate.standard_error;
  return TInterval{estimate.mean - half, estimate.mean + half, half};
}

Interval interval_of(const MeanEstimate& estimate, bool logs) {
  const auto back = [logs](double x) { return logs ? std::exp(x) : x; };
  Interval interval;
  interval.estimate = interval.low = interval.high = back(estimate.mean);
  if (const auto bounds = t_interval(estimate)) {
    interval.low = back(bounds->low);
    interval.high = back(bounds->high);
    interval.bounded = true;
  }
  return interval;
}

std::optional<Interval> mean_interval(const std::vector<double>& values, bool logs, double least_variance) {
  const auto estimate = estimate_mean(values, least_variance);
  if (!estimate) return std::nullopt;
  return interval_of(*estimate, logs);
}

double Interval::relative_half_width() const {
  if (!bounded) return std::numeric_limits<double>::infinity();
  const double half_width = std::max(std::fabs(estimate - low), std::fabs(high - estimate));
  if (half_width == 0) return 0;
  if (estimate == 0) return std::numeric_limits<double>::infinity();
  return half_width / std::fabs(estimate);
}

std::optional<double> t_test_p(const MeanEstimate& estimate, double null_mean) {
  if (!usable(estimate)) return std::nullopt;
  const double difference = estimate.mean - null_mean;
  if (estimate.standard_error == 0) return difference == 0 ? 1.0 : 0.0;
  return t_two_sided_p(difference / estimate.standard_error, estimate.df);
}

}  // namespace callbench::stats
