#pragma once

#include "core/model.hpp"

namespace callbench {

// Fills in report.analysis for every series and report.comparison when there
// are two: interleaved runs compared pair by pair, a baseline side by side.
void analyse_report(Report& report);

// The figures of the runs, as the analysis takes them.
std::vector<RunFigures> figures_of(const std::vector<Run>& runs);

}  // namespace callbench
