#include "write/layout.hpp"

#include <cmath>

#include "run/interruption.hpp"
#include "run/windows_command_line.hpp"
#include "write/format.hpp"

namespace callbench {
namespace {

const std::string kReferenceName(kProcedureNames[kReference]);
const std::string kMedianHeading = "median [95% CI]";

std::string name_of(std::size_t proc) { return std::string(kProcedureNames[proc]); }

std::string figure_text(const std::optional<std::int32_t>& figure) {
  return figure ? std::to_string(*figure) : "n/a";
}

std::string spread_text(const ProcedureFigures& figures) {
  return figures.spread ? format_fraction_percent(*figures.spread) : "n/a";
}

std::string higher_text(const PairedComparison& paired) {
  return std::to_string(paired.higher) + " of " + std::to_string(paired.sweeps);
}

bool has_core_cycles(const SeriesAnalysis& analysis) {
  for (const auto& figures : analysis.procedures)
    if (figures.core_cycles_per_call) return true;
  return false;
}

std::string runs_line(const Series& series) {
  std::string line = std::to_string(series.runs.size()) + " of " +
                     std::to_string(series.runs_requested) + " runs valid";
  if (series.warmup_runs > 0)
    line += " (after " + std::to_string(series.warmup_runs) + " warm-up run" +
            (series.warmup_runs == 1 ? "" : "s") + ", not counted)";
  return line;
}


// Each procedure's own figures; compact adds the ratio to TheOne for side-by-side series.
TextTable figures_table(const Series& series, const SeriesAnalysis& analysis, bool compact) {
  TextTable table;
  table.header = {"procedure", "bytes", "min", kMedianHeading, "max", "spread", "disturbed"};
  const bool core = has_core_cycles(analysis);
  if (compact) {
    table.header.push_back("/" + kReferenceName + " [95% CI]");
    table.header.push_back("verdict");
  } else if (core) {
    table.header.push_back("~core cycles/call (est.)");
  }
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto& f = analysis.procedures[proc];
    std::vector<std::string> row = {
        name_of(proc),
        series.sizes ? std::to_string((*series.sizes)[proc]) : "n/a",
        figure_text(f.min),
        format_interval(f.median, 0),
        figure_text(f.max),
        spread_text(f),
        std::to_string(f.disturbed)};
    if (compact) {
      const auto& paired = analysis.paired[proc];
      row.push_back(proc == kReference ? "1" : format_interval(paired.ratio, 3));
      row.push_back(proc == kReference ? "" : verdict_word(paired.verdict));
    } else if (core) {
      row.push_back(f.core_cycles_per_call ? format_number(*f.core_cycles_per_call, 2) : "n/a");
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

TextTable paired_table(const SeriesAnalysis& analysis) {
  TextTable table;
  table.header = {"procedure", "ratio [95% CI]", "difference [95% CI]", "higher in", "verdict"};
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    if (proc == kReference) continue;
    const auto& paired = analysis.paired[proc];
    table.rows.push_back({name_of(proc), format_interval(paired.ratio, 3),
                          format_interval(paired.difference, 0), higher_text(paired),
                          verdict_word(paired.verdict)});
  }
  return table;
}

TextTable change_table(const Comparison& comparison, const SeriesAnalysis& a,
                       const SeriesAnalysis& b, const std::string& a_name,
                       const std::string& b_name) {
  TextTable table;
  table.header = {"procedure", a_name + " median", b_name + " median",
                  a_name + " vs " + b_name + " [95% CI]", "p", "verdict"};
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto& change = comparison.procedures[proc];
    table.rows.push_back({name_of(proc), format_interval(a.procedures[proc].median, 0),
                          format_interval(b.procedures[proc].median, 0),
                          format_change(change.ratio),
                          change.test ? format_p_value(change.test->p_value) : "n/a",
                          verdict_word(change.verdict)});
  }
  return table;
}

std::string names_of(const std::vector<std::size_t>& procs) {
  std::string text;
  for (const auto proc : procs) text += (text.empty() ? "" : ", ") + name_of(proc);
  return text;
}

// Notes every series earns on its own: noise and disturbed figures.
void series_notes(const std::string& prefix, const SeriesAnalysis& analysis,
                  std::vector<std::string>& notes) {
  std::vector<std::size_t> noisy;
  std::size_t disturbed = 0;
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    if (analysis.procedures[proc].noisy) noisy.push_back(proc);
    disturbed += analysis.procedures[proc].disturbed;
  }
  if (!noisy.empty())
    notes.push_back("note: " + prefix + "the machine was noisy (spread over " +
                    format_fraction_percent(kNoisySpread) + " for " + names_of(noisy) +
                    "); the minimum is the figure to quote");
  if (disturbed > 0)
    notes.push_back("note: " + prefix + std::to_string(disturbed) + " figure" +
                    (disturbed == 1 ? "" : "s") +
                    " of 0 or less (the reference loop was disturbed) left out of every statistic");
}

std::string calibration_text(const Calibration& c) {
  return format_number(c.clocks_per_tick, 3) + " (" + format_number(c.low, 3) + " to " +
         format_number(c.high, 3) + ", " + std::to_string(c.samples) + " samples)";
}

std::string load_text(const LoadAverage& load) {
  return format_number(load.one, 2) + " " + format_number(load.five, 2) + " " +
         format_number(load.fifteen, 2);
}

void benchmark_lines(const Report& report, std::vector<std::string>& lines) {
  for (const auto& series : report.series) {
    if (report.baseline && &series == &report.series.back()) continue;
    const std::string prefix = report.series.size() > 1 ? series.name + ": " : "";
    if (series.benchmark)
      lines.push_back(prefix + "benchmark " + series.benchmark->path + ", sha256 " +
                      series.benchmark->sha256.value_or("unknown"));
    if (series.wine_version) lines.push_back(prefix + "under " + *series.wine_version);
  }
}

bool is_baseline_series(const Report& report, std::size_t index) {
  return report.baseline && index + 1 == report.series.size();
}

}  // namespace

std::string command_text(const std::vector<std::string>& command) {
#ifdef _WIN32
  // As cmd.exe would need it typed.
  return windows_command_line(command);
#endif
  std::string text;
  for (const auto& word : command) {
    if (!text.empty()) text += ' ';
    const bool plain = !word.empty() && word.find_first_of(" \t\"'\\$`") == std::string::npos;
    if (plain) {
      text += word;
      continue;
    }
    text += '\'';
    for (const char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    text += '\'';
  }
  return text;
}

std::string source_text(const Series& series) {
  if (!series.command.empty()) return command_text(series.command);
  return std::to_string(series.captures.size()) + " captured output" +
         (series.captures.size() == 1 ? "" : "s");
}

std::string report_label(const Report& report, const std::string& file) {
  if (!report.label.empty()) return report.label;
  const auto& c = report.conditions;
  std::string machine = c.machine_label ? *c.machine_label : c.host.value_or("");
  std::string label = machine;
  if (!c.date_utc.empty()) label += (label.empty() ? "" : " ") + c.date_utc.substr(0, 10);
  return label.empty() ? file : label;
}

std::vector<std::string> condition_lines(const Report& report) {
  const auto& c = report.conditions;
  std::vector<std::string> lines;
  std::string where;
  if (c.machine_label) {
    where = "outputs captured on " + *c.machine_label;
  } else {
    where = "measured on " + c.host.value_or("an unnamed host");
    if (c.os) where += " (" + *c.os + ")";
  }
  lines.push_back(where + (c.date_utc.empty() ? "" : ", reported " + c.date_utc));
  if (c.processor) {
    std::string line = "processor: " + (c.processor->brand.empty() ? "unknown" : c.processor->brand);
    if (c.processor->invariant_tsc)
      line += *c.processor->invariant_tsc ? "; time-stamp counter invariant"
                                          : "; time-stamp counter NOT invariant";
    if (c.tsc_hz) line += " at " + format_number(*c.tsc_hz / 1e9, 3) + " GHz";
    lines.push_back(line);
  }
  if (c.load_before || c.load_after)
    lines.push_back("load average: " + (c.load_before ? load_text(*c.load_before) : "n/a") +
                    " before, " + (c.load_after ? load_text(*c.load_after) : "n/a") + " after");
  if (!c.machine_label) {
    switch (c.priority.raise) {
      case Priority::Raise::Effective:
        lines.push_back("priority: raised during each measurement (" + c.priority.detail + ")");
        break;
      case Priority::Raise::NotPermitted:
        lines.push_back("priority: the figures were taken at normal priority: the runs may not raise it (" +
                        c.priority.detail + ")");
        break;
      case Priority::Raise::Unknown:
        break;
    }
    lines.push_back(c.cpu ? "runs pinned to processor " + std::to_string(*c.cpu)
                          : "runs not pinned to a processor");
  }
  if (c.calibration_before || c.calibration_after)
    lines.push_back("core clocks per counter tick: " +
                    (c.calibration_before ? calibration_text(*c.calibration_before) : "n/a") +
                    " before, " +
                    (c.calibration_after ? calibration_text(*c.calibration_after) : "n/a") + " after");
  benchmark_lines(report, lines);
  for (std::size_t i = 0; i < report.analysis.size() && i < report.series.size(); ++i) {
    if (!report.analysis[i].median_wall_seconds) continue;
    const std::string prefix = report.series.size() > 1 ? report.series[i].name + ": " : "";
    lines.push_back(prefix + "median wall time of a run: " +
                    format_number(*report.analysis[i].median_wall_seconds, 3) + " s");
  }
  const auto& s = report.analysis_settings;
  lines.push_back("callbench-report " + c.tool_version + "; seed " + std::to_string(s.seed) + ", " +
                  std::to_string(s.resamples) + " resamples, noise threshold " +
                  format_fraction_percent(s.noise_threshold));
  return lines;
}

std::vector<std::string> mismatch_warnings(const Report& a, const Report& b,
                                           const std::string& a_name, const std::string& b_name) {
  std::vector<std::string> warnings;
  const auto brand = [](const Report& r) {
    return r.conditions.processor ? r.conditions.processor->brand : std::string();
  };
  if (brand(a) != brand(b) && !brand(a).empty() && !brand(b).empty())
    warnings.push_back("warning: the processors differ: " + brand(a) + " (" + a_name + ") and " +
                       brand(b) + " (" + b_name + ")");
  if (a.unit != b.unit)
    warnings.push_back("warning: the units differ: " + a.unit + " (" + a_name + ") and " + b.unit +
                       " (" + b_name + ")");
  if (!a.series.empty() && !b.series.empty()) {
    const auto& sa = a.series.front();
    const auto& sb = b.series.front();
    const auto hash = [](const Series& s) {
      return s.benchmark && s.benchmark->sha256 ? *s.benchmark->sha256 : std::string();
    };
    const bool differ = !hash(sa).empty() && !hash(sb).empty()
                            ? hash(sa) != hash(sb)
                            : source_text(sa) != source_text(sb);
    if (differ)
      warnings.push_back("warning: the benchmarks differ: " + source_text(sa) + " (" + a_name +
                         ") and " + source_text(sb) + " (" + b_name + ")");
  }
  return warnings;
}

Document layout_report(const Report& report) {
  Document document;
  if (report.interrupted_by != 0)
    document.preamble.push_back(std::string("interrupted by ") + signal_name(report.interrupted_by) +
                                ": the runs that finished");
  const bool several = report.series.size() > 1;
  for (std::size_t i = 0; i < report.series.size(); ++i) {
    const auto& series = report.series[i];
    const std::string who = several ? series.name + ": " : "";
    if (is_baseline_series(report, i)) {
      const auto& c = report.baseline->conditions;
      std::string line = who + report.baseline->file + ": " + std::to_string(series.runs.size()) +
                         " runs of " + source_text(series);
      if (!c.date_utc.empty()) line += ", reported " + c.date_utc;
      line += " on " + c.machine_label.value_or(c.host.value_or("an unnamed host"));
      if (c.processor && !c.processor->brand.empty()) line += ", " + c.processor->brand;
      document.preamble.push_back(line);
      continue;
    }
    document.preamble.push_back(who + runs_line(series) + "; " + source_text(series));
  }
  if (report.run_settings.interleaved)
    document.preamble.push_back("runs made alternately, " + report.series[0].name + " " +
                                report.series[1].name + " " + report.series[0].name + " " +
                                report.series[1].name + " ..., so drift of the machine falls on both");
  document.preamble.push_back(std::string("figures in ") + report.unit + ", 3 per run");

  if (!several) {
    document.sections.push_back({"each procedure's figures", figures_table(report.series[0], report.analysis[0], false)});
    document.sections.push_back({"against " + kReferenceName + ", sweep by sweep", paired_table(report.analysis[0])});
  } else {
    for (std::size_t i = 0; i < report.series.size(); ++i)
      document.sections.push_back({report.series[i].name + ": each procedure's figures",
                                   figures_table(report.series[i], report.analysis[i], true)});
    if (report.comparison)
      document.sections.push_back({report.series[0].name + " against " + report.series[1].name,
                                   change_table(*report.comparison, report.analysis[0],
                                                report.analysis[1], report.series[0].name,
                                                report.series[1].name)});
  }

  document.footer = condition_lines(report);
  if (report.precision) {
    const auto& p = *report.precision;
    document.footer.push_back("precision target +/-" + format_fraction_percent(p.target) +
                              (p.reached ? " reached after " : " NOT reached after ") +
                              std::to_string(p.runs) + " runs (widest +/-" +
                              format_fraction_percent(p.widest) + ")");
  }
  for (std::size_t i = 0; i < report.series.size(); ++i)
    series_notes(several ? report.series[i].name + ": " : "", report.analysis[i], document.notes);
  if (report.baseline) {
    Report base;
    base.conditions = report.baseline->conditions;
    base.series = {report.series.back()};
    for (auto& w : mismatch_warnings(report, base, report.series.front().name, report.series.back().name))
      document.notes.push_back(std::move(w));
    document.notes.push_back(
        "note: a baseline measured at another time cannot separate the machine's drift from a "
        "change; to compare two benchmarks, run them interleaved: callbench-report -- A --vs B");
  }
  return document;
}

Document layout_comparison(const std::vector<LoadedReport>& files,
                           const std::vector<SeriesAnalysis>& analyses,
                           const std::optional<Comparison>& change,
                           const AnalysisSettings& settings) {
  Document document;
  document.preamble.push_back("comparing " + std::to_string(files.size()) + " reports, in " +
                              std::string(kUnit));
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto& report = files[i].report;
    const auto& series = report.series.front();
    keys.push_back("[" + std::to_string(i + 1) + "]");
    std::string line = keys.back() + " " + report_label(report, files[i].file) + ": " + files[i].file +
                       ", " + std::to_string(series.runs.size()) + " runs of " + source_text(series);
    if (report.conditions.processor && !report.conditions.processor->brand.empty())
      line += ", " + report.conditions.processor->brand;
    document.preamble.push_back(line);
  }

  TextTable table;
  table.header = {"procedure"};
  for (const auto& key : keys) {
    table.header.push_back(key + " min");
    table.header.push_back(key + " " + kMedianHeading);
    table.header.push_back(key + " /" + kReferenceName + " [95% CI]");
  }
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    std::vector<std::string> row = {name_of(proc)};
    for (const auto& analysis : analyses) {
      row.push_back(figure_text(analysis.procedures[proc].min));
      row.push_back(format_interval(analysis.procedures[proc].median, 0));
      row.push_back(proc == kReference ? "1" : format_interval(analysis.paired[proc].ratio, 3));
    }
    table.rows.push_back(std::move(row));
  }
  document.sections.push_back({"", std::move(table)});
  if (change && analyses.size() == 2)
    document.sections.push_back(
        {keys[0] + " against " + keys[1], change_table(*change, analyses[0], analyses[1], keys[0], keys[1])});

  for (std::size_t i = 0; i < files.size(); ++i) series_notes(keys[i] + ": ", analyses[i], document.notes);
  for (std::size_t i = 1; i < files.size(); ++i)
    for (auto& w : mismatch_warnings(files[0].report, files[i].report, keys[0], keys[i]))
      document.notes.push_back(std::move(w));
  if (change)
    document.notes.push_back(
        "note: reports made at different times cannot separate the machine's drift from a change; "
        "for two benchmarks on one machine, run them interleaved: callbench-report -- A --vs B");
  document.footer.push_back("seed " + std::to_string(settings.seed) + ", " +
                            std::to_string(settings.resamples) + " resamples, noise threshold " +
                            format_fraction_percent(settings.noise_threshold));
  return document;
}

}  // namespace callbench
