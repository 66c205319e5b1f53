// `compare`: the series of report files side by side, nothing run.
#include "analyse/report_analysis.hpp"
#include "app/options.hpp"
#include "app/outputs.hpp"
#include "app/version.hpp"
#include "core/limits.hpp"
#include "core/report_json.hpp"
#include "system/files.hpp"
#include "system/host.hpp"

namespace callbench {

int compare(const CompareOptions& options) {
  std::vector<ProtectedFile> kept;
  for (const auto& file : options.files) kept.push_back({"a report being compared", file});
  const Outputs outputs(options.outputs, kept);
  Report report;
  report.kind = Report::Kind::Files;
  report.label = options.label;
  report.tool_version = kToolVersion;
  report.date_utc = utc_now();
  report.analysis_settings = options.analysis;
  report.pool = options.pool;
  // Every file is read before anything is told, so a bad one stops everything.
  if (options.files.size() > kMaxComparedFiles)
    throw Error("more than " + std::to_string(kMaxComparedFiles) + " reports; compare them in smaller groups");
  std::vector<Report> files;
  // The files share one budget, so that the report of them all reads back.
  std::size_t budget = kMaxComparedBytes;
  for (const auto& file : options.files) {
    const std::string text = read_regular_file(file, kMaxReportFile);
    if (text.size() > budget)
      throw Error(file + ": the reports up to this one are larger than " + std::to_string(kMaxComparedBytes) +
                  " bytes together, more than one comparison can hold; compare fewer at a time");
    budget -= text.size();
    files.push_back(parse_report_json(text, file));
    if (files.back().unit != kUnit)
      throw Error(file + ": figures in \"" + files.back().unit + "\", not " + kUnit);
  }
  for (auto& file : files)
    for (auto& series : file.series) {
      // A or B of a --vs report, even where the other was left out, so as not to take the other's names.
      if (file.series.size() > 1 || file.kind == Report::Kind::Interleaved) series.name_in_file = series.name;
      series.name = "[" + std::to_string(report.series.size() + 1) + "]";
      report.series.push_back(std::move(series));
    }
  if (const auto failed = analyse_report_or_reason(report)) {
    complain("the analysis failed (" + *failed + "); the series are written without it");
    outputs.write_report(report);
    return kExitIncomplete;
  }
  return outputs.write_report(report);
}

}  // namespace callbench
