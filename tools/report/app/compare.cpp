// `compare`: the series of report files side by side, nothing run.
#include "analyse/report_analysis.hpp"
#include "app/options.hpp"
#include "app/outputs.hpp"
#include "app/version.hpp"
#include "read/report_file.hpp"
#include "system/host.hpp"

namespace callbench {

int compare(const CompareOptions& options) {
  const Outputs outputs(options.outputs);
  Report report;
  report.kind = Report::Kind::Files;
  report.label = options.label;
  report.tool_version = kToolVersion;
  report.date_utc = utc_now();
  report.analysis_settings = options.analysis;
  // Every file is read before anything is told, so a bad one stops everything.
  std::vector<Report> files;
  for (const auto& file : options.files) {
    files.push_back(load_report(file));
    if (files.back().unit != kUnit)
      throw Error(file + ": figures in \"" + files.back().unit + "\", not " + kUnit);
  }
  for (auto& file : files)
    for (auto& series : file.series) {
      series.name = "[" + std::to_string(report.series.size() + 1) + "]";
      report.series.push_back(std::move(series));
    }
  analyse_report(report);
  return outputs.deliver(report);
}

}  // namespace callbench
