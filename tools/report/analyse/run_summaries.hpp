#pragma once

#include <array>
#include <optional>
#include <vector>

#include "core/procedures.hpp"

namespace callbench {

// One run, reduced to the values the decisions take: runs, not figures, are
// the unit, because the three sweeps of a run share that run's level.
struct RunSummary {
  // Log of the median of the procedure's valid figures (figures <= 0 were disturbed).
  std::array<std::optional<double>, kProcedures> log_median{};
  // Log of the median of the per-sweep ratios figure / TheOne, over sweeps
  // where both figures are valid; TheOne's own entry stays empty.
  std::array<std::optional<double>, kProcedures> log_ratio_to_reference{};
};

RunSummary summarise_run(const Figures& figures);
std::vector<RunSummary> summarise_runs(const std::vector<Figures>& runs);

// One procedure's values over runs, in run order, std::nullopt where a run gave none.
std::vector<std::optional<double>> log_medians(const std::vector<RunSummary>& runs, std::size_t procedure);
std::vector<std::optional<double>> log_ratios_to_reference(const std::vector<RunSummary>& runs,
                                                           std::size_t procedure);

// The values that are there, in order.
std::vector<double> present_values(const std::vector<std::optional<double>>& values);

}  // namespace callbench
