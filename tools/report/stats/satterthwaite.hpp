#pragma once

#include <vector>

namespace callbench::stats {

// One estimated variance in a sum, with the degrees of freedom of its estimate
// (infinite for a variance taken as known).
struct VarianceComponent {
  double variance = 0;
  double df = 0;
};

// Welch-Satterthwaite: the degrees of freedom of a sum of independently
// estimated variances, (sum v)^2 / sum(v^2 / df). Infinite when every
// non-zero component is known exactly; 0 for a sum of zero.
double satterthwaite_df(const std::vector<VarianceComponent>& components);

}  // namespace callbench::stats
