#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/report.hpp"

namespace callbench {

// A browser draws a few thousand marks in a blink and a few hundred thousand
// not at all, and each costs the page bytes: past these, charts draw some
// figures and summarise the rest, and say so.
inline constexpr std::size_t kMostDots = 4000;            // per chart of every figure
inline constexpr std::size_t kMostTimelinePoints = 6000;  // per chart of figures over time

// Every how many-th of `count` items to draw so that at most `most` are drawn (1: all).
std::size_t stride_for(std::size_t count, std::size_t most);

// Consecutive runs of one procedure summarised: the median of their valid
// figures and the band from the tenth to the ninetieth percentile.
struct RunBin {
  int first_run = 0, last_run = 0;
  std::size_t valid = 0, disturbed = 0;
  double low = 0, median = 0, high = 0;  // valid figures only; 0 when none
};

// The series' runs in bins of `runs_per_bin`, in order.
std::vector<RunBin> bin_runs(const Series& series, std::size_t procedure, std::size_t runs_per_bin);

}  // namespace callbench
