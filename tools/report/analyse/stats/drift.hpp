#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace callbench::stats {

// Below this many runs a series says too little about its own drift.
inline constexpr std::size_t kMinRunsForDrift = 4;

// A series of per-run values (in run order) taken as a random walk, whose steps
// from one run to the next have variance step_variance (q), plus white noise of
// variance white_variance (r).
struct DriftEstimate {
  double step_variance = 0;   // q
  double white_variance = 0;  // r
  std::size_t runs = 0;
  bool measured = false;  // false below kMinRunsForDrift runs: q is then unknown, not 0
};

// Fits the empirical semivariogram gamma(h) = r + h q / 2 over lags 1..max(2, K/2),
// each lag weighted by its number of pairs; q and r are kept non-negative.
DriftEstimate estimate_drift(const std::vector<double>& values_in_run_order);

// q of two series pooled by their runs - 1; the one measured if only one is;
// none if neither is.
std::optional<double> pooled_step_variance(const DriftEstimate& a, const DriftEstimate& b);

// What a random walk of step variance q adds to the variance of
// mean(later block) - mean(earlier block), for blocks of runs_earlier and
// runs_later consecutive runs with `gap` runs not counted between them.
double drift_variance_of_difference(double step_variance, std::size_t runs_earlier, std::size_t runs_later,
                                    std::size_t gap = 0);

}  // namespace callbench::stats
