#include "analyse/pooling.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "analyse/run_summaries.hpp"
#include "analyse/series_analysis.hpp"
#include "core/same_runs.hpp"
#include "stats/random_effects.hpp"

namespace callbench {
namespace {

// Each report's mean of its per-run logs, weighed by its runs. The runs of one
// machine scatter alike from report to report (what differs between reports
// is where the drift has taken the machine), so their variance is pooled over
// the reports: a report of few runs that happened to agree must not take all
// the weight. Reports below two runs say nothing of their spread and are left out.
// The logs of one procedure in a report's runs, and the least variance one of
// them can have (what its sweeps show).
using RunLogs = std::function<std::pair<std::vector<std::optional<double>>, double>(const SeriesSummary&)>;

std::optional<stats::PooledEstimate> pooled(const std::vector<SeriesSummary>& reports, const RunLogs& logs_of) {
  std::vector<stats::MeanEstimate> means;
  double squares = 0, df = 0;
  for (const auto& report : reports) {
    const auto [logs, least_variance] = logs_of(report);
    const auto values = present_values(logs);
    const auto estimate = stats::estimate_mean(values);
    if (!estimate || values.size() < 2) continue;
    const double spread = stats::sample_standard_deviation(values);
    squares += std::max(spread * spread, least_variance) * estimate->df;
    df += estimate->df;
    means.push_back(*estimate);
  }
  std::vector<stats::GroupEstimate> groups;
  for (const auto& mean : means) groups.push_back({mean.mean, squares / df / static_cast<double>(mean.values)});
  return stats::pool_random_effects(groups);
}

// A machine of one report: that report's own figures and verdicts.
void own_figures(const Series& series, PooledMachine& machine) {
  if (!series.analysis) return;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    machine.medians[p] = series.analysis->procedures[p].median;
    if (p != kReference) machine.ratios[p] = series.analysis->paired[p].decision;
  }
}

void pool_reports(const std::vector<const Series*>& reports, const AnalysisSettings& settings,
                  PooledMachine& machine) {
  std::vector<SeriesSummary> summaries;
  for (const Series* series : reports) summaries.push_back(summarise_runs(figures_in_time_order(*series)));
  std::vector<Decision> family;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const auto level = pooled(summaries, [p](const SeriesSummary& report) {
      return std::make_pair(log_medians(report, p), report.median_least_variance[p]);
    });
    if (level) machine.medians[p] = stats::interval_of(level->mean, true);
    if (p == kReference) continue;
    const auto ratio = pooled(summaries, [p](const SeriesSummary& report) {
      return std::make_pair(log_ratios_to_reference(report, p), report.ratio_least_variance[p]);
    });
    // More runs do not narrow this interval; more reports do: no runs needed are told.
    family.push_back(ratio ? stats::decide_log_estimate(ratio->mean, std::nullopt, settings.noise_threshold)
                           : Decision{});
    if (ratio) machine.between_reports[p] = std::expm1(std::sqrt(ratio->between_variance));
  }
  stats::adjust_family(family, settings.noise_threshold);
  for (std::size_t p = 0, k = 0; p < kProcedures; ++p)
    if (p != kReference) machine.ratios[p] = std::move(family[k++]);
}

}  // namespace

std::string machine_of(const Series& series) {
  std::string name = series.label;
  if (name.empty()) {
    const auto& c = series.conditions;
    name = c.machine_label ? *c.machine_label : c.host.value_or("an unnamed machine");
    if (c.processor && !c.processor->brand.empty()) name += ", " + c.processor->brand;
  }
  // A and B of one --vs report are two benchmarks, never one machine's
  // reports; the series of a file that compare wrote ([1], [2]...) are reports.
  const bool measured_side =
      std::find(kRunSeriesNames.begin(), kRunSeriesNames.end(), series.name_in_file) != kRunSeriesNames.end();
  return measured_side ? name + "/" + series.name_in_file : name;
}

std::vector<PooledMachine> pool_by_machine(const std::vector<Series>& series,
                                           const AnalysisSettings& settings) {
  std::vector<PooledMachine> machines;
  for (std::size_t i = 0; i < series.size(); ++i) {
    // A report read twice (a file given twice, or a copy) counts once: its
    // copies would agree exactly and make an interval of no width.
    if (std::any_of(series.begin(), series.begin() + static_cast<std::ptrdiff_t>(i),
                    [&](const Series& earlier) { return same_runs(earlier, series[i]); }))
      continue;
    const std::string label = machine_of(series[i]);
    auto machine = machines.begin();
    while (machine != machines.end() && machine->label != label) ++machine;
    if (machine == machines.end()) {
      machines.push_back({});
      machine = machines.end() - 1;
      machine->label = label;
    }
    machine->series.push_back(i);
    machine->runs += series[i].runs.size();
  }
  for (auto& machine : machines) {
    std::vector<const Series*> reports;
    for (const auto i : machine.series) reports.push_back(&series[i]);
    if (reports.size() == 1)
      own_figures(*reports.front(), machine);
    else
      pool_reports(reports, settings, machine);
  }
  return machines;
}

}  // namespace callbench
