#pragma once

#include "core/report.hpp"

namespace callbench {

// One series on its own: each procedure's figures, its ratio to TheOne decided
// from the runs (Holm over the three), the drift of the runs, and the clock
// from the calibrations of its conditions.
SeriesAnalysis analyse_series(const Series& series, const AnalysisSettings& settings);

// The figures of a series' runs in the order they were made (by sequence where known).
std::vector<Figures> figures_in_time_order(const Series& series);

}  // namespace callbench
