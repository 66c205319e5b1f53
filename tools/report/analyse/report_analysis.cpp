#include "analyse/report_analysis.hpp"

#include "analyse/comparison.hpp"
#include "analyse/pooling.hpp"
#include "analyse/series_analysis.hpp"
#include "core/same_runs.hpp"

namespace callbench {

void analyse_report(Report& report) {
  for (auto& series : report.series) series.analysis = analyse_series(series, report.analysis_settings);
  report.pooled.clear();
  if (report.pool) report.pooled = pool_by_machine(report.series, report.analysis_settings);
  report.comparison.reset();
  if (report.series.size() != 2) return;
  const auto& a = report.series[0];
  const auto& b = report.series[1];
  if (same_runs(a, b)) return;  // nothing to compare
  if (report.kind == Report::Kind::Interleaved) {
    report.comparison = compare_paired(a, b, report.analysis_settings);
  } else {
    // The new runs' warm-up came between a baseline and them; report files say nothing of their gap.
    const std::size_t between =
        report.kind == Report::Kind::Baseline ? static_cast<std::size_t>(a.warmup_runs) : 0;
    report.comparison = compare_across_time(a, b, report.analysis_settings, between);
  }
}

std::optional<std::string> analyse_report_or_reason(Report& report) {
  try {
    analyse_report(report);
    return std::nullopt;
  } catch (const std::exception& e) {
    for (auto& series : report.series) series.analysis.reset();
    report.comparison.reset();
    return e.what();
  }
}

}  // namespace callbench
