#pragma once

#include "core/model.hpp"

namespace callbench {

// Fills in report.analysis for every series and report.comparison when there
// are two: interleaved runs compared pair by pair, a baseline side by side.
void analyse_report(Report& report);

// One series as a report analyses it: with the wall times it has, and the core
// clock calibration (before and after, averaged) of the conditions it ran under.
SeriesAnalysis analyse_series_under(const Series& series, const Conditions& conditions,
                                    const AnalysisSettings& settings);

// The figures of the runs, as the analysis takes them.
std::vector<RunFigures> figures_of(const std::vector<Run>& runs);

}  // namespace callbench
