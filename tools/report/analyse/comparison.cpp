#include "analyse/comparison.hpp"

#include <algorithm>
#include <map>

#include "analyse/run_summaries.hpp"
#include "analyse/series_analysis.hpp"
#include "stats/drift.hpp"

namespace callbench {
namespace {

SeriesSummary summaries_in_time_order(const Series& series) {
  std::vector<Figures> figures;
  for (const Run* run : runs_in_time_order(series)) figures.push_back(run->figures);
  return summarise_runs(figures);
}

void decide_family(Comparison& comparison, std::vector<Decision> family, const AnalysisSettings& settings) {
  stats::adjust_family(family, settings.noise_threshold);
  std::move(family.begin(), family.end(), comparison.procedures.begin());
}

}  // namespace

Comparison compare_paired(const Series& a, const Series& b, const AnalysisSettings& settings) {
  Comparison comparison;
  comparison.method = Comparison::Method::Paired;
  // Run k of A and run k of B were made one after the other: pair them where both counted.
  std::map<int, const Run*> b_by_number;
  for (const auto& run : b.runs) b_by_number[run.number] = &run;
  std::vector<Figures> paired_a, paired_b;
  for (const auto& run : a.runs) {
    const auto partner = b_by_number.find(run.number);
    if (partner == b_by_number.end()) continue;
    paired_a.push_back(run.figures);
    paired_b.push_back(partner->second->figures);
  }
  comparison.pairs = paired_a.size();
  const auto sa = summarise_runs(paired_a), sb = summarise_runs(paired_b);
  std::vector<Decision> family;
  for (std::size_t p = 0; p < kProcedures; ++p)
    family.push_back(stats::decide_paired(log_medians(sa, p), log_medians(sb, p), settings.noise_threshold,
                                          sa.median_least_variance[p] + sb.median_least_variance[p]));
  decide_family(comparison, std::move(family), settings);
  return comparison;
}

Comparison compare_across_time(const Series& a, const Series& b, const AnalysisSettings& settings,
                               std::size_t runs_between) {
  Comparison comparison;
  comparison.method = Comparison::Method::AcrossTime;
  const auto sa = summaries_in_time_order(a), sb = summaries_in_time_order(b);
  std::vector<Decision> family;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const auto logs_a = present_values(log_medians(sa, p)), logs_b = present_values(log_medians(sb, p));
    family.push_back(
        stats::decide_across_time({logs_a, stats::estimate_drift(logs_a), sa.median_least_variance[p]},
                                  {logs_b, stats::estimate_drift(logs_b), sb.median_least_variance[p]},
                                  settings.noise_threshold, runs_between)
            .decision);
  }
  decide_family(comparison, std::move(family), settings);
  return comparison;
}

}  // namespace callbench
