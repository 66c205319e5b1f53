#pragma once

#include <string>
#include <vector>

#include "core/report.hpp"
#include "write/document.hpp"

namespace callbench {

// Each procedure's own figures in one series. Compact, for series shown side
// by side, adds the ratio to TheOne and its verdict instead of the core cycles.
TextTable figures_table(const Series& series, bool compact);

// Each procedure against TheOne, run by run.
TextTable paired_table(const SeriesAnalysis& analysis, double noise_threshold);

// The change of each procedure from series b to series a.
TextTable change_table(const Report& report);

// Each procedure's ratio to TheOne on series a against series b, pair by pair.
TextTable ratio_change_table(const Report& report);

// Reports pooled by machine (compare --pool): one row per machine.
TextTable pooled_medians_table(const Report& report);
TextTable pooled_ratios_table(const Report& report);

// For many series side by side: one row per series, a column per procedure.
TextTable medians_table(const Report& report);
TextTable ratios_table(const Report& report);

}  // namespace callbench
