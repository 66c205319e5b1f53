#include "analyse/report_analysis.hpp"

#include <map>

namespace callbench {
namespace {

std::optional<double> clocks_per_tick(const Conditions& conditions) {
  const auto& before = conditions.calibration_before;
  const auto& after = conditions.calibration_after;
  if (before && after) return (before->clocks_per_tick + after->clocks_per_tick) / 2;
  if (before) return before->clocks_per_tick;
  if (after) return after->clocks_per_tick;
  return std::nullopt;
}

}  // namespace

std::vector<RunFigures> figures_of(const std::vector<Run>& runs) {
  std::vector<RunFigures> figures;
  figures.reserve(runs.size());
  for (const auto& run : runs) figures.push_back(run.figures);
  return figures;
}

SeriesAnalysis analyse_series_under(const Series& series, const Conditions& conditions,
                                    const AnalysisSettings& settings) {
  std::vector<double> walls;
  for (const auto& run : series.runs)
    if (run.wall_seconds) walls.push_back(*run.wall_seconds);
  return analyse_series(figures_of(series.runs), walls, settings, clocks_per_tick(conditions));
}

void analyse_report(Report& report) {
  report.analysis.clear();
  for (std::size_t i = 0; i < report.series.size(); ++i) {
    // A baseline was calibrated on its own machine, if at all.
    const bool from_baseline = report.baseline && i + 1 == report.series.size();
    report.analysis.push_back(analyse_series_under(
        report.series[i], from_baseline ? report.baseline->conditions : report.conditions,
        report.analysis_settings));
  }
  report.comparison.reset();
  if (report.series.size() != 2) return;
  const auto& a = report.series[0];
  const auto& b = report.series[1];
  if (!report.run_settings.interleaved) {
    report.comparison = compare_series(figures_of(a.runs), figures_of(b.runs), false,
                                       report.analysis_settings);
    return;
  }
  // Run k of A and run k of B were made one after the other: pair them where both counted.
  std::map<int, const Run*> b_by_number;
  for (const auto& run : b.runs) b_by_number[run.number] = &run;
  std::vector<RunFigures> paired_a, paired_b;
  for (const auto& run : a.runs) {
    const auto partner = b_by_number.find(run.number);
    if (partner == b_by_number.end()) continue;
    paired_a.push_back(run.figures);
    paired_b.push_back(partner->second->figures);
  }
  report.comparison = compare_series(paired_a, paired_b, true, report.analysis_settings);
}

}  // namespace callbench
