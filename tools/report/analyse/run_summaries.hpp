#pragma once

#include <array>
#include <optional>
#include <vector>

#include "core/procedures.hpp"

namespace callbench {

// One run, reduced to the values the decisions take: runs, not figures, are
// the unit, because the sweeps of a run share that run's level. A figure of 0
// or less, or a low outlier among the series' figures of its procedure (a
// disturbed measurement), enters none of them.
struct RunSummary {
  // Log of the median of the procedure's usable figures.
  std::array<std::optional<double>, kProcedures> log_median{};
  // Log of the median of the per-sweep ratios figure / TheOne, over sweeps
  // where both figures are usable; TheOne's own entry stays empty.
  std::array<std::optional<double>, kProcedures> log_ratio_to_reference{};
  // Median of the per-sweep differences figure - TheOne, over the same sweeps.
  std::array<std::optional<double>, kProcedures> difference_to_reference{};
};

// The runs of a series, and per procedure what their sweeps tell: the least
// variance one run's value can have, and the runs left out because the two
// usable sweeps they had disagreed grossly (see stats::GroupedValues).
struct SeriesSummary {
  std::vector<RunSummary> runs;
  std::array<double, kProcedures> median_least_variance{}, ratio_least_variance{}, difference_least_variance{};
  std::array<std::size_t, kProcedures> median_left_out{}, ratio_left_out{};
};

SeriesSummary summarise_runs(const std::vector<Figures>& runs);

// One procedure's values over runs, in run order, std::nullopt where a run gave none.
std::vector<std::optional<double>> log_medians(const SeriesSummary& series, std::size_t procedure);
std::vector<std::optional<double>> log_ratios_to_reference(const SeriesSummary& series, std::size_t procedure);
std::vector<std::optional<double>> differences_to_reference(const SeriesSummary& series, std::size_t procedure);

// The values that are there, in order.
std::vector<double> present_values(const std::vector<std::optional<double>>& values);

}  // namespace callbench
