#include "analyse/stats/drift.hpp"

#include <algorithm>
#include <stdexcept>

#include "analyse/stats/mean_estimate.hpp"

namespace callbench::stats {

DriftEstimate estimate_drift(const std::vector<double>& values) {
  DriftEstimate estimate;
  estimate.runs = values.size();
  const double spread = sample_standard_deviation(values);
  estimate.white_variance = spread * spread;
  const std::size_t k = values.size();
  if (k < kMinRunsForDrift) return estimate;
  estimate.measured = true;

  // Weighted least squares of gamma(h) on h.
  const std::size_t last_lag = std::max<std::size_t>(2, k / 2);
  double sw = 0, sh = 0, sg = 0, shh = 0, shg = 0;
  for (std::size_t h = 1; h <= last_lag; ++h) {
    double squares = 0;
    for (std::size_t i = 0; i + h < k; ++i) squares += (values[i + h] - values[i]) * (values[i + h] - values[i]);
    const double pairs = static_cast<double>(k - h);
    const double gamma = squares / (2 * pairs);
    const double lag = static_cast<double>(h);
    sw += pairs;
    sh += pairs * lag;
    sg += pairs * gamma;
    shh += pairs * lag * lag;
    shg += pairs * lag * gamma;
  }
  const double slope = (sw * shg - sh * sg) / (sw * shh - sh * sh);
  const double intercept = (sg - slope * sh) / sw;
  if (slope <= 0) {
    estimate.step_variance = 0;
    estimate.white_variance = sg / sw;
  } else if (intercept < 0) {
    estimate.white_variance = 0;
    estimate.step_variance = 2 * shg / shh;  // the line through the origin
  } else {
    estimate.white_variance = intercept;
    estimate.step_variance = 2 * slope;
  }
  return estimate;
}

std::optional<double> pooled_step_variance(const DriftEstimate& a, const DriftEstimate& b) {
  if (a.measured && b.measured) {
    const double wa = static_cast<double>(a.runs - 1), wb = static_cast<double>(b.runs - 1);
    return (wa * a.step_variance + wb * b.step_variance) / (wa + wb);
  }
  if (a.measured) return a.step_variance;
  if (b.measured) return b.step_variance;
  return std::nullopt;
}

double drift_variance_of_difference(double q, std::size_t runs_earlier, std::size_t runs_later, std::size_t gap) {
  if (runs_earlier == 0 || runs_later == 0) throw std::invalid_argument("both blocks need runs");
  // A step inside the earlier block moves the fraction of its runs that follow it;
  // each step between the blocks moves all of the later block; a step inside the
  // later block moves the fraction of its runs that follow it. Summed squares:
  const auto inside = [](std::size_t n) {
    const double k = static_cast<double>(n);
    return (k - 1) * (2 * k - 1) / (6 * k);
  };
  return q * (inside(runs_earlier) + 1 + static_cast<double>(gap) + inside(runs_later));
}

}  // namespace callbench::stats
