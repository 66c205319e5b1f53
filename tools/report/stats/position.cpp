#include "stats/position.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace callbench::stats {

std::optional<PositionFit> fit_position(const std::vector<double>& d, const std::vector<bool>& a_first,
                                        double least_variance) {
  if (d.size() != a_first.size()) throw std::invalid_argument("a difference without its order");
  double sum[2] = {0, 0};
  std::size_t count[2] = {0, 0};
  for (std::size_t i = 0; i < d.size(); ++i) {
    sum[a_first[i] ? 0 : 1] += d[i];
    ++count[a_first[i] ? 0 : 1];
  }
  if (count[0] == 0 || count[1] == 0 || d.size() < 3) return std::nullopt;
  const double mean[2] = {sum[0] / static_cast<double>(count[0]), sum[1] / static_cast<double>(count[1])};
  double squares = 0;
  for (std::size_t i = 0; i < d.size(); ++i) {
    const double residual = d[i] - mean[a_first[i] ? 0 : 1];
    squares += residual * residual;
  }
  const double df = static_cast<double>(d.size()) - 2;
  PositionFit fit;
  fit.a_first = count[0];
  fit.b_first = count[1];
  fit.residual_spread = std::sqrt(std::max(squares / df, least_variance));
  // Both are half a sum or difference of the two means: the same standard error.
  const double se = fit.residual_spread / 2 *
                    std::sqrt(1 / static_cast<double>(count[0]) + 1 / static_cast<double>(count[1]));
  fit.change = {(mean[0] + mean[1]) / 2, se, df, d.size()};
  // A first: B is the second run, so d = change - position; B first: change + position.
  fit.position = {(mean[1] - mean[0]) / 2, se, df, d.size()};
  return fit;
}

Decision decide_paired_in_order(const std::vector<std::optional<double>>& a,
                                const std::vector<std::optional<double>>& b,
                                const std::vector<std::optional<bool>>& a_first, double noise_threshold,
                                std::size_t pairs_for_position_term, double least_variance) {
  if (a.size() != b.size() || a.size() != a_first.size())
    throw std::invalid_argument("paired sides differ in length");
  std::vector<double> differences;
  std::vector<bool> orders;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!a[i] || !b[i]) continue;
    if (!a_first[i]) return decide_paired(a, b, noise_threshold, least_variance);
    differences.push_back(*a[i] - *b[i]);
    orders.push_back(*a_first[i]);
  }
  const auto fit = differences.size() >= pairs_for_position_term
                       ? fit_position(differences, orders, least_variance)
                       : std::nullopt;
  if (!fit) return decide_paired(a, b, noise_threshold, least_variance);
  return decide_log_estimate(fit->change, fit->residual_spread, noise_threshold);
}

}  // namespace callbench::stats
