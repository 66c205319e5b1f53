#include "analyse/run_summaries.hpp"

#include <cmath>

#include "stats/robust.hpp"

namespace callbench {

namespace {

std::optional<double> log_of_median(const std::vector<double>& values) {
  const auto middle = stats::median(values);
  if (!middle) return std::nullopt;
  return std::log(*middle);
}

}  // namespace

RunSummary summarise_run(const Figures& figures) {
  RunSummary summary;
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    std::vector<double> own, ratios;
    for (const auto& sweep : figures) {
      if (sweep[proc] <= 0) continue;
      own.push_back(sweep[proc]);
      if (proc != kReference && sweep[kReference] > 0)
        ratios.push_back(static_cast<double>(sweep[proc]) / sweep[kReference]);
    }
    summary.log_median[proc] = log_of_median(own);
    if (proc != kReference) summary.log_ratio_to_reference[proc] = log_of_median(ratios);
  }
  return summary;
}

std::vector<RunSummary> summarise_runs(const std::vector<Figures>& runs) {
  std::vector<RunSummary> summaries;
  summaries.reserve(runs.size());
  for (const auto& run : runs) summaries.push_back(summarise_run(run));
  return summaries;
}

std::vector<std::optional<double>> log_medians(const std::vector<RunSummary>& runs, std::size_t procedure) {
  std::vector<std::optional<double>> column;
  column.reserve(runs.size());
  for (const auto& run : runs) column.push_back(run.log_median.at(procedure));
  return column;
}

std::vector<std::optional<double>> log_ratios_to_reference(const std::vector<RunSummary>& runs,
                                                           std::size_t procedure) {
  std::vector<std::optional<double>> column;
  column.reserve(runs.size());
  for (const auto& run : runs) column.push_back(run.log_ratio_to_reference.at(procedure));
  return column;
}

std::vector<double> present_values(const std::vector<std::optional<double>>& values) {
  std::vector<double> present;
  for (const auto& v : values)
    if (v) present.push_back(*v);
  return present;
}

}  // namespace callbench
