#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/report.hpp"

namespace callbench {

// One figure a continuous-benchmarking service tracks: a series' median of a
// procedure, or its ratio to TheOne, with the 95 % interval when there is one.
struct TrackedFigure {
  std::string benchmark;  // "TestNoFrameA", or "<series>/TestNoFrameA" with several series
  std::string measure;    // "millicycles" or "ratio-to-TheOne"
  Interval value;
};

// Every figure worth tracking, from the series this report measured or read
// from files (not a baseline, which was tracked when it was made).
std::vector<TrackedFigure> tracked_figures(const Report& report);

}  // namespace callbench
