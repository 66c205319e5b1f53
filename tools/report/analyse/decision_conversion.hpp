#pragma once

#include "core/analysis.hpp"
#include "core/settings.hpp"
#include "stats/decisions.hpp"

namespace callbench {

// The statistics' settings for a report's analysis settings.
stats::DecisionSettings decision_settings(const AnalysisSettings& settings);

// A decision of the statistics as the report holds it.
Decision to_report_decision(const stats::Decision& decision);

}  // namespace callbench
