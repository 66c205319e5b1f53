#include "stats/decisions.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "stats/holm.hpp"
#include "stats/mean_estimate.hpp"
#include "stats/runs_needed.hpp"
#include "stats/satterthwaite.hpp"
#include "stats/student_t.hpp"

namespace callbench::stats {

namespace {

// Past this many runs a report is no longer a thing anyone would make.
constexpr std::size_t kRunsLimit = 100000;

void verdict_from_fields(Decision& d, double noise_threshold) {
  d.verdict = d.ratio.bounded && d.p_adjusted
                  ? classify(d.ratio.low, d.ratio.high, *d.p_adjusted, noise_threshold)
                  : Verdict::Inconclusive;
}

Decision from_log_mean(const MeanEstimate& e, double noise_threshold) {
  Decision d;
  d.values = e.values;
  d.ratio = interval_of(e, true);
  d.degrees_of_freedom = e.df;
  if (const auto ci = t_interval(e)) d.resolvable = std::expm1(ci->half_width);
  d.p_value = t_test_p(e);
  d.p_adjusted = d.p_value;
  verdict_from_fields(d, noise_threshold);
  return d;
}

// The sample's standard deviation, at least what one value's own measurement allows it.
double spread_of(const std::vector<double>& values, double least_variance) {
  return std::max(sample_standard_deviation(values), std::sqrt(least_variance));
}

}  // namespace

Decision decide_one_sample(const std::vector<double>& logs, double noise_threshold, double least_variance) {
  const auto estimate = estimate_mean(logs, least_variance);
  if (!estimate) return {};
  return decide_log_estimate(*estimate, spread_of(logs, least_variance), noise_threshold);
}

Verdict classify(double low, double high, double adjusted_p, double t) {
  if (!(high > low)) return Verdict::Inconclusive;
  const bool significant = adjusted_p < kSignificance;
  if (significant && low > 1 + t) return Verdict::Slower;
  if (significant && high < 1 - t) return Verdict::Faster;
  if (low >= 1 - t && high <= 1 + t) return Verdict::Equivalent;
  return Verdict::Inconclusive;
}

Decision decide_log_estimate(const MeanEstimate& log_estimate, std::optional<double> spread,
                             double noise_threshold) {
  Decision d = from_log_mean(log_estimate, noise_threshold);
  // Runs that all agree tell no spread, so no number of runs either.
  if (spread && *spread > 0 && log_estimate.values >= 2)
    d.runs_needed = runs_needed(*spread, std::log1p(noise_threshold), kConfidence, kRunsLimit);
  return d;
}

Decision decide_paired(const std::vector<std::optional<double>>& a, const std::vector<std::optional<double>>& b,
                       double noise_threshold, double least_variance) {
  if (a.size() != b.size()) throw std::invalid_argument("paired sides differ in length");
  std::vector<double> differences;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] && b[i]) differences.push_back(*a[i] - *b[i]);
  return decide_one_sample(differences, noise_threshold, least_variance);
}

namespace {

// A drift too small to tell from the scatter is not taken as no drift: q is
// taken as high as its estimate plus the noise that estimate has without any
// drift. The walk's own path makes q's estimate from one series vary by about
// its own size (relative variance ~1.2, found by simulation of random walks).
constexpr double kWalkRelativeVariance = 1.2;

struct DriftAllowance {
  double variance = 0;  // of the difference of the two means
  double df = 0;
  bool measured = false;
  double step_variance = 0;  // q as taken: estimate plus its noise
};

DriftAllowance drift_allowance(const DriftEstimate& a, const DriftEstimate& b, std::size_t runs_a,
                               std::size_t runs_b, std::size_t runs_between) {
  DriftAllowance allowance;
  const DriftEstimate pooled = pool_drift({a, b});
  if (!pooled.measured) return allowance;
  allowance.measured = true;
  const double q = pooled.step_variance + pooled.step_variance_noise;
  allowance.step_variance = q;
  allowance.variance = drift_variance_of_difference(q, runs_a, runs_b, runs_between);
  const double series = (a.measured ? 1.0 : 0.0) + (b.measured ? 1.0 : 0.0);
  // The noise term scales with the runs' variance, known to runs - 1 degrees of freedom.
  const double noise = pooled.step_variance_noise;
  const double q_variance = noise * noise * 2 / (static_cast<double>(std::min(runs_a, runs_b)) - 1) +
                            kWalkRelativeVariance * pooled.step_variance * pooled.step_variance / series;
  allowance.df = q_variance > 0 ? 2 * q * q / q_variance : INFINITY;
  return allowance;
}

}  // namespace

AcrossTimeDecision decide_across_time(const RunSeries& series_a, const RunSeries& series_b,
                                      double noise_threshold, std::size_t runs_between) {
  AcrossTimeDecision result;
  const auto &a = series_a.values, &b = series_b.values;
  const auto ea = estimate_mean(a), eb = estimate_mean(b);
  if (!ea || !eb) return result;
  const double sa = spread_of(a, series_a.least_variance), sb = spread_of(b, series_b.least_variance);
  const double ka = static_cast<double>(a.size()), kb = static_cast<double>(b.size());
  const auto drift = drift_allowance(series_a.drift, series_b.drift, a.size(), b.size(), runs_between);
  result.drift_measured = drift.measured;
  // Unmeasured drift could be as large as a run's whole scatter.
  result.drift_variance = drift.measured ? drift.variance : std::max(sa * sa, sb * sb);

  MeanEstimate difference;
  difference.values = std::min(a.size(), b.size());
  difference.mean = ea->mean - eb->mean;
  if (a.size() >= 2 && b.size() >= 2) {
    const double variance = sa * sa / ka + sb * sb / kb + result.drift_variance;
    difference.standard_error = std::sqrt(variance);
    difference.df =
        drift.measured && result.drift_variance > 0
            ? satterthwaite_df(
                  {{sa * sa / ka, ka - 1}, {sb * sb / kb, kb - 1}, {result.drift_variance, drift.df}})
            : std::min(ka, kb) - 1;
    if (!(difference.df > 0)) difference.df = std::min(ka, kb) - 1;
  } else {
    difference.standard_error = std::numeric_limits<double>::infinity();
  }
  result.decision = from_log_mean(difference, noise_threshold);

  if (drift.measured && a.size() >= 2 && b.size() >= 2) {
    // k runs in each report: the scatter falls with k, the drift between the two means grows.
    const double q = drift.step_variance;
    const double scatter = sa * sa + sb * sb;
    const double target = std::log1p(noise_threshold);
    const double upper = 1 - (1 - kConfidence) / 2;
    const auto resolves = [&](std::size_t k) {
      const double variance =
          scatter / static_cast<double>(k) + drift_variance_of_difference(q, k, k, runs_between);
      return t_quantile(upper, static_cast<double>(k) - 1) * std::sqrt(variance) <= target;
    };
    const double best = q > 0 ? std::sqrt(1.5 * scatter / q) : static_cast<double>(kRunsLimit);
    const auto last = static_cast<std::size_t>(std::clamp(best, 2.0, static_cast<double>(kRunsLimit)));
    result.decision.runs_needed = smallest_resolving(2, last, resolves);
  }
  return result;
}

void adjust_family(std::vector<Decision>& family, double noise_threshold) {
  std::vector<std::optional<double>> p;
  p.reserve(family.size());
  for (const auto& d : family) p.push_back(d.p_value);
  const auto adjusted = holm_adjust(p);
  for (std::size_t i = 0; i < family.size(); ++i) {
    family[i].p_adjusted = adjusted[i];
    verdict_from_fields(family[i], noise_threshold);
  }
}

}  // namespace callbench::stats
