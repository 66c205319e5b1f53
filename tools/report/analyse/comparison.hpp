#pragma once

#include "core/report.hpp"

namespace callbench {

// A against B from runs made alternately: run k of each side form a pair,
// compared by their per-run figures (Holm over the four procedures).
Comparison compare_paired(const Series& a, const Series& b, const AnalysisSettings& settings);

// A against B from runs made at different times: a change must exceed what
// the machine's drift, measured within each series, could explain. runs_between
// counts the runs known to lie between the two (a baseline made just before the
// new series' warm-up runs).
Comparison compare_across_time(const Series& a, const Series& b, const AnalysisSettings& settings,
                               std::size_t runs_between = 0);

}  // namespace callbench
