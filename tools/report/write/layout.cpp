#include "write/layout.hpp"

#include "write/condition_lines.hpp"
#include "write/number_format.hpp"
#include "write/report_notes.hpp"
#include "write/series_labels.hpp"
#include "write/tables.hpp"

namespace callbench {
namespace {

std::string runs_line(const Series& series) {
  std::string line =
      std::to_string(series.runs.size()) + " of " + std::to_string(series.runs_requested) + " runs valid";
  if (series.warmup_runs > 0)
    line += " (after " + std::to_string(series.warmup_runs) + " warm-up run" +
            (series.warmup_runs == 1 ? "" : "s") + ", not counted)";
  return line;
}

// A series read from a report file: where from, what and when.
std::string file_line(const Series& series) {
  const auto& c = series.conditions;
  std::string line =
      *series.file + ": " + std::to_string(series.runs.size()) + " runs of " + source_text(series);
  if (!series.label.empty()) line = series.label + ": " + line;
  if (!c.date_utc.empty()) line += ", reported " + c.date_utc;
  line += " on " + machine_name(c);
  if (c.processor && !c.processor->brand.empty()) line += ", " + c.processor->brand;
  if (const auto tag = processor_tag(c); !tag.empty()) line += " (" + tag + ")";
  return line;
}

// A --vs B where one had no valid run: the other is reported alone, under its own name.
std::string left_out_line(const std::string& kept) {
  const std::string other = kept == kRunSeriesNames[0] ? kRunSeriesNames[1] : kRunSeriesNames[0];
  return other + ": no valid run, so left out; " + kept +
         " alone is reported (its runs were made alternately with " + other + "'s)";
}

std::vector<std::string> preamble(const Report& report) {
  std::vector<std::string> lines;
  if (report.interrupted)
    lines.push_back("interrupted by " + report.interrupted->name + ": the runs that finished");
  if (report.kind == Report::Kind::Files)
    lines.push_back("comparing " + std::to_string(report.series.size()) + " series from report files");
  for (const auto& series : report.series) {
    const std::string who =
        report.kind == Report::Kind::Files ? series.name + " " : series_prefix(report, series);
    lines.push_back(who + (series.file ? file_line(series) : runs_line(series) + "; " + source_text(series)));
  }
  if (report.kind == Report::Kind::Interleaved && report.series.size() == 2)
    lines.push_back(
        "runs made alternately, " + report.series[0].name + " and " + report.series[1].name +
        " in pairs, each first in half of them (in random order), so drift of the machine and a carry-over "
        "from the run before fall on both alike");
  else if (report.kind == Report::Kind::Interleaved && report.series.size() == 1)
    lines.push_back(left_out_line(report.series[0].name));
  lines.push_back("figures in " + report.unit + ", " + std::to_string(kSweeps) +
                  " per run; every interval takes runs as the unit");
  return lines;
}

}  // namespace

Document layout_report(const Report& report) {
  Document document;
  document.preamble = preamble(report);
  const auto threshold = report.analysis_settings.noise_threshold;
  const std::string against = "against " + std::string(kReferenceName) + ", run by run";
  if (report.series.size() == 1) {
    const auto& series = report.series.front();
    const std::string who = series_prefix(report, series);
    document.sections.push_back({who + "each procedure's figures", figures_table(series, false)});
    if (series.analysis)
      document.sections.push_back({who + against, paired_table(*series.analysis, threshold)});
  } else if (report.series.size() == 2) {
    for (const auto& series : report.series)
      document.sections.push_back({series.name + ": each procedure's figures", figures_table(series, true)});
  } else {
    document.sections.push_back({interval_heading("medians"), medians_table(report)});
    document.sections.push_back({interval_heading(against + ": ratio") + " and verdict", ratios_table(report)});
  }
  if (report.comparison) {
    const auto& a = report.series.at(report.comparison->a);
    const auto& b = report.series.at(report.comparison->b);
    document.sections.push_back({a.name + " against " + b.name, change_table(report)});
    if (report.comparison->ratios)
      document.sections.push_back({a.name + " against " + b.name + ", each as a ratio to " +
                                       std::string(kReferenceName) + " (assumes " +
                                       std::string(kReferenceName) + " is the same on both)",
                                   ratio_change_table(report)});
  }
  if (report.pool) {
    document.sections.push_back(
        {interval_heading("pooled by machine over reports made at different times: medians"),
         pooled_medians_table(report)});
    document.sections.push_back(
        {interval_heading("pooled by machine: ratio to " + std::string(kReferenceName)) + " and verdict",
         pooled_ratios_table(report)});
  }
  document.footer = footer_lines(report);
  document.notes = report_notes(report);
  return document;
}

}  // namespace callbench
