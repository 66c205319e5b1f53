#include "stats/holm.hpp"

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace callbench::stats {

std::vector<std::optional<double>> holm_adjust(const std::vector<std::optional<double>>& p_values) {
  std::vector<std::size_t> present;
  for (std::size_t i = 0; i < p_values.size(); ++i)
    if (p_values[i]) present.push_back(i);
  std::stable_sort(present.begin(), present.end(),
                   [&](std::size_t a, std::size_t b) { return *p_values[a] < *p_values[b]; });
  std::vector<std::optional<double>> adjusted(p_values.size());
  const std::size_t m = present.size();
  double running = 0;  // adjusted p-values never fall along the sorted order
  for (std::size_t rank = 0; rank < m; ++rank) {
    const double scaled = std::min(1.0, static_cast<double>(m - rank) * *p_values[present[rank]]);
    running = std::max(running, scaled);
    adjusted[present[rank]] = running;
  }
  return adjusted;
}

}  // namespace callbench::stats
