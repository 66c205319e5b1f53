#include "stats/grouped_values.hpp"

#include <algorithm>
#include <boost/math/distributions/chi_squared.hpp>
#include <cmath>

#include "stats/levels.hpp"
#include "stats/robust.hpp"

namespace callbench::stats {

namespace {

std::size_t positions_of(const Groups& groups) {
  std::size_t most = 0;
  for (const auto& group : groups) most = std::max(most, group.size());
  return most;
}

// Per pair of positions i < j, the median of value[i] - value[j] over the
// groups that have both, and how many do.
struct PairCentre {
  double centre = 0;
  std::size_t groups = 0;
};

std::vector<std::vector<PairCentre>> pair_centres(const Groups& groups) {
  const std::size_t positions = positions_of(groups);
  std::vector<std::vector<PairCentre>> centres(positions, std::vector<PairCentre>(positions));
  for (std::size_t i = 0; i < positions; ++i)
    for (std::size_t j = i + 1; j < positions; ++j) {
      std::vector<double> differences;
      for (const auto& group : groups)
        if (j < group.size() && group[i] && group[j]) differences.push_back(*group[i] - *group[j]);
      centres[i][j] = {median(differences).value_or(0), differences.size()};
    }
  return centres;
}

// |value[i] - value[j] - centre|, scaled for the centring; none when no other group shares the pair.
std::optional<double> centred_difference(const std::vector<std::optional<double>>& group, std::size_t i,
                                         std::size_t j, const PairCentre& pair) {
  if (pair.groups < 2) return std::nullopt;
  const double n = static_cast<double>(pair.groups);
  return std::fabs(*group[i] - *group[j] - pair.centre) * std::sqrt(n / (n - 1));
}

double variance_from(std::vector<double> deviations) {
  const auto middle = median(std::move(deviations));
  if (!middle) return 0;
  const double spread = 1.4826 * *middle;
  return spread * spread / 2;
}

}  // namespace

double within_group_variance(const Groups& groups) {
  const auto centres = pair_centres(groups);
  std::vector<double> deviations;
  for (const auto& group : groups)
    for (std::size_t i = 0; i < group.size(); ++i)
      for (std::size_t j = i + 1; j < group.size(); ++j)
        if (group[i] && group[j])
          if (const auto d = centred_difference(group, i, j, centres[i][j])) deviations.push_back(*d);
  return variance_from(std::move(deviations));
}

GroupedValues summarise_groups(const Groups& groups, bool judge_pairs) {
  GroupedValues summary;
  summary.within_variance = within_group_variance(groups);
  const double gross = std::max(kGrossLeastLog, kGrossDeviations * std::sqrt(2 * summary.within_variance));
  const auto centres = pair_centres(groups);
  double inverse_sizes = 0;
  std::size_t counted = 0;
  for (const auto& group : groups) {
    std::vector<double> present;
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < group.size(); ++i)
      if (group[i]) {
        present.push_back(*group[i]);
        at.push_back(i);
      }
    if (judge_pairs && present.size() == 2) {
      const auto d = centred_difference(group, at[0], at[1], centres[at[0]][at[1]]);
      if (d.value_or(std::fabs(present[0] - present[1])) > gross) {
        summary.values.emplace_back();
        ++summary.left_out;
        continue;
      }
    }
    summary.values.push_back(median(present));
    if (present.empty()) continue;
    inverse_sizes += 1.0 / static_cast<double>(present.size());
    ++counted;
  }
  if (counted < 2) return summary;
  const double df = static_cast<double>(counted - 1);
  const double lower =
      boost::math::quantile(boost::math::chi_squared_distribution<double>(df), (1 - kConfidence) / 2);
  summary.least_variance = summary.within_variance * inverse_sizes / static_cast<double>(counted) * lower / df;
  return summary;
}

}  // namespace callbench::stats
