#include "stats/drift.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "stats/mean_estimate.hpp"

namespace callbench::stats {

namespace {

// Lags fitted: up to half the runs, and at most 500, which keeps the fit's cost
// linear in the runs (a 50,000-run series would otherwise take seconds per
// procedure) and changes nothing below 1,002 runs.
constexpr std::size_t kMostLags = 500;

std::size_t last_lag_for(std::size_t k) {
  return std::clamp<std::size_t>(k / 2, 2, kMostLags);
}

// The weights of gamma(1)..gamma(last) in the fitted slope, fitted by pairs.
std::vector<double> slope_weights(std::size_t k) {
  const std::size_t last_lag = last_lag_for(k);
  double sw = 0, sh = 0;
  for (std::size_t h = 1; h <= last_lag; ++h) {
    sw += static_cast<double>(k - h);
    sh += static_cast<double>(k - h) * static_cast<double>(h);
  }
  const double centre = sh / sw;
  double shh = 0;
  for (std::size_t h = 1; h <= last_lag; ++h)
    shh += static_cast<double>(k - h) * (static_cast<double>(h) - centre) * (static_cast<double>(h) - centre);
  std::vector<double> weights(last_lag + 1, 0.0);
  for (std::size_t h = 1; h <= last_lag; ++h)
    weights[h] = static_cast<double>(k - h) * (static_cast<double>(h) - centre) / shh;
  return weights;
}

}  // namespace

double step_variance_noise(std::size_t k, double white_variance) {
  if (k < kMinRunsForDrift) return 0;
  // q = 2 sum_h w_h gamma(h), gamma(h) = sum_i (x[i+h] - x[i])^2 / (2 (k - h)).
  // Each pair at lag h adds c_h to both its diagonal entries and -c_h to its
  // off-diagonal pair: tr(A^2), the sum of squared entries, without the matrix.
  const auto weights = slope_weights(k);
  std::vector<double> diagonal(k, 0.0);
  double trace = 0;
  for (std::size_t h = 1; h < weights.size(); ++h) {
    const double c = weights[h] / static_cast<double>(k - h);
    for (std::size_t i = 0; i + h < k; ++i) {
      diagonal[i] += c;
      diagonal[i + h] += c;
    }
    trace += 2 * static_cast<double>(k - h) * c * c;
  }
  for (double d : diagonal) trace += d * d;
  return white_variance * std::sqrt(2 * trace);
}

DriftEstimate estimate_drift(const std::vector<double>& values) {
  DriftEstimate estimate;
  estimate.runs = values.size();
  const double spread = sample_standard_deviation(values);
  estimate.white_variance = spread * spread;
  const std::size_t k = values.size();
  if (k < kMinRunsForDrift) return estimate;
  estimate.measured = true;

  // Weighted least squares of gamma(h) on h.
  const std::size_t last_lag = last_lag_for(k);
  double sw = 0, sh = 0, sg = 0, shh = 0, shg = 0;
  for (std::size_t h = 1; h <= last_lag; ++h) {
    double squares = 0;
    for (std::size_t i = 0; i + h < k; ++i)
      squares += (values[i + h] - values[i]) * (values[i + h] - values[i]);
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
  estimate.unclamped_step_variance = 2 * slope;
  // The whole scatter as if white: an upper bound on r when there is drift.
  estimate.step_variance_noise = step_variance_noise(k, spread * spread);
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

DriftEstimate pool_drift(const std::vector<DriftEstimate>& estimates) {
  DriftEstimate pooled;
  const auto measured =
      std::count_if(estimates.begin(), estimates.end(), [](const auto& e) { return e.measured; });
  if (measured == 1)  // its own fit, kept whole
    return *std::find_if(estimates.begin(), estimates.end(), [](const auto& e) { return e.measured; });
  double weights = 0, q = 0, r = 0, noise = 0;
  for (const auto& e : estimates) {
    if (!e.measured) continue;
    const double w = static_cast<double>(e.runs - 1);
    weights += w;
    q += w * e.unclamped_step_variance;
    r += w * e.white_variance;
    noise += w * w * e.step_variance_noise * e.step_variance_noise;
    pooled.runs += e.runs;
  }
  if (weights == 0) return pooled;
  pooled.measured = true;
  pooled.unclamped_step_variance = q / weights;
  pooled.step_variance = std::max(0.0, q / weights);
  pooled.white_variance = r / weights;
  pooled.step_variance_noise = std::sqrt(noise) / weights;
  return pooled;
}

double drift_variance_of_difference(double q, std::size_t runs_earlier, std::size_t runs_later,
                                    std::size_t gap) {
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
