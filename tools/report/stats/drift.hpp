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
  // 2 x the fitted slope before q was kept non-negative: pooled over several
  // series it averages out their scatter instead of only the positive half of it.
  double unclamped_step_variance = 0;
  // The standard deviation q's estimate would have from the runs' scatter
  // alone, without any drift: below it, a small q says nothing.
  double step_variance_noise = 0;
};

// Pools series that share their drift (two reports of one procedure): the
// runs-weighted mean of their unclamped q, then kept non-negative, and of
// their noise; not measured if none of them is.
DriftEstimate pool_drift(const std::vector<DriftEstimate>& estimates);

// Fits the empirical semivariogram gamma(h) = r + h q / 2 over lags 1..max(2, K/2) (at most 500),
// each lag weighted by its number of pairs; q and r are kept non-negative.
DriftEstimate estimate_drift(const std::vector<double>& values_in_run_order);

// The standard deviation of estimate_drift's unclamped q for `runs` values of
// white noise of the given variance (exact for normal values: q is a quadratic
// form x'Ax of the values, whose variance is 2 variance^2 tr(A^2)).
double step_variance_noise(std::size_t runs, double white_variance);

// What a random walk of step variance q adds to the variance of
// mean(later block) - mean(earlier block), for blocks of runs_earlier and
// runs_later consecutive runs with `gap` runs not counted between them.
double drift_variance_of_difference(double step_variance, std::size_t runs_earlier, std::size_t runs_later,
                                    std::size_t gap = 0);

}  // namespace callbench::stats
