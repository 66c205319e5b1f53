#include "analyse/run_summaries.hpp"

#include <cmath>

#include "core/settings.hpp"
#include "stats/grouped_values.hpp"
#include "stats/robust.hpp"

namespace callbench {

namespace {

using stats::Groups;
using Column = std::array<std::optional<double>, kProcedures> RunSummary::*;

// Per procedure, the figures that are no suspected disturbance: a reference
// loop that ran long lowers a figure, an interrupt in the procedure's own loop
// raises it, and either takes it far from the rest.
std::array<stats::OutlierLimits, kProcedures> usable_from(const std::vector<Figures>& runs) {
  std::array<stats::OutlierLimits, kProcedures> limits{};
  for (std::size_t p = 0; p < kProcedures; ++p) {
    std::vector<double> valid;
    for (const auto& run : runs)
      for (const auto& sweep : run)
        if (sweep[p] > 0) valid.push_back(sweep[p]);
    limits[p] = stats::outlier_limits(valid, kOutlierDeviations).value_or(stats::OutlierLimits{});
  }
  return limits;
}

void store(const stats::GroupedValues& grouped, std::vector<RunSummary>& runs, Column field, std::size_t p) {
  for (std::size_t r = 0; r < runs.size(); ++r) (runs[r].*field)[p] = grouped.values[r];
}

}  // namespace

SeriesSummary summarise_runs(const std::vector<Figures>& runs) {
  SeriesSummary series;
  series.runs.resize(runs.size());
  const auto limits = usable_from(runs);
  const auto usable = [&](const Sweep& sweep, std::size_t p) {
    return sweep[p] > 0 && sweep[p] >= limits[p].low && sweep[p] <= limits[p].high;
  };
  for (std::size_t p = 0; p < kProcedures; ++p) {
    Groups own;
    for (const auto& run : runs) {
      auto& group = own.emplace_back(kSweeps);
      for (std::size_t s = 0; s < kSweeps; ++s)
        if (usable(run[s], p)) group[s] = std::log(run[s][p]);
    }
    const auto medians = stats::summarise_groups(own);
    store(medians, series.runs, &RunSummary::log_median, p);
    series.median_least_variance[p] = medians.least_variance;
    series.median_left_out[p] = medians.left_out;
  }
  for (std::size_t p = 0; p < kProcedures; ++p) {
    if (p == kReference) continue;
    Groups ratios, differences;
    for (const auto& run : runs) {
      auto &ratio = ratios.emplace_back(kSweeps), &difference = differences.emplace_back(kSweeps);
      for (std::size_t s = 0; s < kSweeps; ++s) {
        if (!usable(run[s], p) || !usable(run[s], kReference)) continue;
        ratio[s] = std::log(static_cast<double>(run[s][p]) / run[s][kReference]);
        difference[s] = static_cast<double>(run[s][p]) - run[s][kReference];
      }
    }
    const auto grouped = stats::summarise_groups(ratios);
    store(grouped, series.runs, &RunSummary::log_ratio_to_reference, p);
    series.ratio_least_variance[p] = grouped.least_variance;
    series.ratio_left_out[p] = grouped.left_out;
    // A run left out of the ratio is left out of the difference: the same sweeps disagree.
    for (std::size_t r = 0; r < runs.size(); ++r)
      if (!grouped.values[r]) differences[r].assign(kSweeps, std::nullopt);
    const auto grouped_differences = stats::summarise_groups(differences, false);
    store(grouped_differences, series.runs, &RunSummary::difference_to_reference, p);
    series.difference_least_variance[p] = grouped_differences.least_variance;
  }
  return series;
}

namespace {

std::vector<std::optional<double>> column(const SeriesSummary& series, Column field, std::size_t procedure) {
  std::vector<std::optional<double>> values;
  values.reserve(series.runs.size());
  for (const auto& run : series.runs) values.push_back((run.*field).at(procedure));
  return values;
}

}  // namespace

std::vector<std::optional<double>> log_medians(const SeriesSummary& series, std::size_t procedure) {
  return column(series, &RunSummary::log_median, procedure);
}

std::vector<std::optional<double>> log_ratios_to_reference(const SeriesSummary& series, std::size_t procedure) {
  return column(series, &RunSummary::log_ratio_to_reference, procedure);
}

std::vector<std::optional<double>> differences_to_reference(const SeriesSummary& series,
                                                            std::size_t procedure) {
  return column(series, &RunSummary::difference_to_reference, procedure);
}

std::vector<double> present_values(const std::vector<std::optional<double>>& values) {
  std::vector<double> present;
  for (const auto& v : values)
    if (v) present.push_back(*v);
  return present;
}

}  // namespace callbench
