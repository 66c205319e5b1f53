#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "stats/decisions.hpp"
#include "stats/mean_estimate.hpp"

namespace callbench::stats {

// Pairs of runs made one after the other in either order, each giving a log
// difference d = log A - log B. A run that comes second may cost more (or less)
// for following the other (caches, clocks, the page cache of the run before), so
//   d = change - order x position + noise,  order +1 when A ran first, -1 when B did:
// the change is the midpoint of the two orders' means and the position effect
// half their difference, both with the residual scatter (n - 2 degrees of freedom).
struct PositionFit {
  MeanEstimate change;    // log A/B, whichever went first
  MeanEstimate position;  // log of a pair's second run against its first
  std::size_t a_first = 0, b_first = 0;
  double residual_spread = 0;  // one pair's standard deviation once both terms are fitted
};

// None unless both orders occur and there are at least three pairs. The
// residual variance is taken as at least least_variance (what one pair's own
// measurement allows it), as in estimate_mean.
std::optional<PositionFit> fit_position(const std::vector<double>& differences,
                                        const std::vector<bool>& a_first, double least_variance = 0);

// Interleaved pairs whose order is known (std::nullopt where a run gave no
// value): the change A/B with the position term fitted, from kPairsForPositionTerm
// pairs on (below, the term costs more degrees of freedom than it saves noise);
// else, or where an order is unknown, as decide_paired.
inline constexpr std::size_t kPairsForPositionTerm = 6;
Decision decide_paired_in_order(const std::vector<std::optional<double>>& a,
                                const std::vector<std::optional<double>>& b,
                                const std::vector<std::optional<bool>>& a_first, double noise_threshold,
                                std::size_t pairs_for_position_term = kPairsForPositionTerm,
                                double least_variance = 0);

}  // namespace callbench::stats
