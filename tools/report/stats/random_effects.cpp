#include "stats/random_effects.hpp"

#include <algorithm>
#include <cmath>

namespace callbench::stats {

namespace {

// A group whose runs happened to agree exactly would get all the weight: its
// variance is taken as at least this (a relative spread of 1e-6 squared).
constexpr double kLeastVariance = 1e-12;

double weighted_mean(const std::vector<GroupEstimate>& groups, double tau2, double& weight_sum) {
  double sum = 0;
  weight_sum = 0;
  for (const auto& g : groups) {
    const double w = 1 / (std::max(g.variance, kLeastVariance) + tau2);
    sum += w * g.estimate;
    weight_sum += w;
  }
  return sum / weight_sum;
}

}  // namespace

std::optional<PooledEstimate> pool_random_effects(const std::vector<GroupEstimate>& groups) {
  if (groups.size() < 2) return std::nullopt;
  for (const auto& g : groups)
    if (!std::isfinite(g.variance) || !std::isfinite(g.estimate) || g.variance < 0) return std::nullopt;
  const double m = static_cast<double>(groups.size());

  // DerSimonian-Laird: Cochran's Q about the fixed-effect mean against its
  // expectation m - 1 without any variance between groups.
  double w_sum = 0;
  const double fixed = weighted_mean(groups, 0, w_sum);
  double q = 0, w2_sum = 0;
  for (const auto& g : groups) {
    const double w = 1 / std::max(g.variance, kLeastVariance);
    q += w * (g.estimate - fixed) * (g.estimate - fixed);
    w2_sum += w * w;
  }
  PooledEstimate pooled;
  pooled.between_variance = std::max(0.0, (q - (m - 1)) / (w_sum - w2_sum / w_sum));

  double weights = 0;
  const double mean = weighted_mean(groups, pooled.between_variance, weights);
  double scatter = 0;
  for (const auto& g : groups) {
    const double w = 1 / (std::max(g.variance, kLeastVariance) + pooled.between_variance);
    scatter += w * (g.estimate - mean) * (g.estimate - mean);
  }
  pooled.scatter_ratio = scatter / (m - 1);
  // Hartung-Knapp: the variance from the groups' own scatter about the mean.
  // With equal weights this is the t interval of the groups' means, exact for
  // normal groups however closely they happen to agree; it is not kept at or
  // above the variance the weights give (q >= 1), which would make a 95 %
  // interval hold the truth 99 % of the time with three groups.
  pooled.mean = {mean, std::sqrt(pooled.scatter_ratio / weights), m - 1, groups.size()};
  return pooled;
}

}  // namespace callbench::stats
