#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace callbench::stats {

// Core clocks per counter tick from samples of a dependent chain of additions.
// The chain cannot run faster than the core, so a disturbance only lowers a
// sample: the least disturbed samples, the top half, tell the clock.
struct CalibrationSummary {
  double clocks_per_tick = 0;  // median of the top half of the samples
  double low = 0, high = 0;    // of all samples used
  std::size_t samples = 0;     // positive, finite samples
};

// None without a positive, finite sample.
std::optional<CalibrationSummary> summarise_calibration_samples(const std::vector<double>& clocks_per_tick);

}  // namespace callbench::stats
