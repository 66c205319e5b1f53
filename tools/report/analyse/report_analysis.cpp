#include "analyse/report_analysis.hpp"

#include "analyse/comparison.hpp"
#include "analyse/series_analysis.hpp"

namespace callbench {

void analyse_report(Report& report) {
  for (auto& series : report.series) series.analysis = analyse_series(series, report.analysis_settings);
  report.comparison.reset();
  if (report.series.size() != 2) return;
  const auto& a = report.series[0];
  const auto& b = report.series[1];
  report.comparison = report.kind == Report::Kind::Interleaved
                          ? compare_paired(a, b, report.analysis_settings)
                          : compare_across_time(a, b, report.analysis_settings);
}

}  // namespace callbench
