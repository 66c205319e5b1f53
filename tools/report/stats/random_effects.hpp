#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "stats/mean_estimate.hpp"

namespace callbench::stats {

// One group's estimate of a quantity (one report's mean log ratio) with its
// squared standard error.
struct GroupEstimate {
  double estimate = 0;
  double variance = 0;
};

// Groups made at different times, where the quantity itself moves between
// them (a machine's state drifts): each group's estimate is taken as a draw
// around the long-run value with a variance of its own plus tau^2, the
// variance between groups, estimated from the groups themselves
// (DerSimonian-Laird). The mean weighs each group by 1 / (variance + tau^2);
// its standard error is Hartung and Knapp's, from the groups' own scatter
// about it, with t on groups - 1 degrees of freedom, so that the interval
// holds its level with few groups. Weights from estimated variances make it
// hold less well; give variances known from the design where there are.
struct PooledEstimate {
  MeanEstimate mean;            // df = groups - 1
  double between_variance = 0;  // tau^2
  double scatter_ratio =
      0;  // Hartung-Knapp's q: the groups' weighted scatter against what their variances give
};

// None below two groups, or when a group has no finite variance.
std::optional<PooledEstimate> pool_random_effects(const std::vector<GroupEstimate>& groups);

}  // namespace callbench::stats
