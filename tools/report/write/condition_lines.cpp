#include "write/condition_lines.hpp"

#include <algorithm>

#include "core/processor_identity.hpp"
#include "core/text.hpp"
#include "write/number_format.hpp"
#include "write/series_labels.hpp"

namespace callbench {
namespace {

std::string calibration_text(const Calibration& c) {
  if (c.samples.empty()) return "n/a";
  const auto [low, high] = std::minmax_element(c.samples.begin(), c.samples.end());
  return format_number(*low, 3) + " to " + format_number(*high, 3) + " (" + std::to_string(c.samples.size()) +
         " samples)";
}

std::string load_text(const LoadAverage& load) {
  return format_number(load.one, 2) + " " + format_number(load.five, 2) + " " + format_number(load.fifteen, 2);
}

// Which processor, beyond its brand; unknown in reports made before it was recorded.
std::string identity_line(const Processor& processor) {
  return "processor identity: " + (processor.identity ? identity_text(*processor.identity) : "unknown");
}

// The series whose runs were made by this report, not read from a file.
bool measured_here(const Series& series) {
  return !series.file;
}

}  // namespace

std::vector<std::string> condition_lines(const Conditions& c) {
  std::vector<std::string> lines;
  std::string where = c.machine_label ? "outputs captured on " + *c.machine_label
                                      : "measured on " + machine_name(c) + (c.os ? " (" + *c.os + ")" : "");
  lines.push_back(where + (c.date_utc.empty() ? "" : ", reported " + c.date_utc));
  if (c.processor) {
    std::string line = "processor: " + (c.processor->brand.empty() ? "unknown" : c.processor->brand);
    if (c.processor->invariant_tsc)
      line +=
          *c.processor->invariant_tsc ? "; time-stamp counter invariant" : "; time-stamp counter NOT invariant";
    if (c.tsc_hz) line += " at " + format_number(*c.tsc_hz / 1e9, 3) + " GHz";
    lines.push_back(line);
    lines.push_back(identity_line(*c.processor));
  }
  if (c.load_before || c.load_after)
    lines.push_back("load average: " + (c.load_before ? load_text(*c.load_before) : "n/a") + " before, " +
                    (c.load_after ? load_text(*c.load_after) : "n/a") + " after");
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
                    (c.calibration_before ? calibration_text(*c.calibration_before) : "n/a") + " before, " +
                    (c.calibration_after ? calibration_text(*c.calibration_after) : "n/a") + " after");
  for (const auto& check : c.checks)
    lines.push_back("machine: " + check.title + ": " + check.value + " (" + status_name(check.status) + ")");
  return lines;
}

std::vector<std::string> footer_lines(const Report& report) {
  std::vector<std::string> lines;
  const Series* first = nullptr;
  for (const auto& series : report.series)
    if (measured_here(series) && !first) first = &series;
  if (first) lines = condition_lines(first->conditions);
  for (const auto& series : report.series) {
    if (!measured_here(series)) continue;
    const std::string prefix = series_prefix(report, series);
    if (const auto& clock = series.analysis ? series.analysis->clock : std::nullopt)
      lines.push_back(prefix + "core clocks per counter tick taken as " +
                      format_number(clock->clocks_per_tick, 3) +
                      (clock->stable ? "" : " (unstable: the core-cycle estimate is withheld)"));
    if (series.benchmark)
      lines.push_back(prefix + "benchmark " + series.benchmark->path + ", sha256 " +
                      series.benchmark->sha256.value_or("unknown"));
    if (series.wine_version) lines.push_back(prefix + "under " + *series.wine_version);
    if (series.analysis && series.analysis->median_wall_seconds)
      lines.push_back(prefix + "median wall time of a run: " +
                      format_number(*series.analysis->median_wall_seconds, 3) + " s");
  }
  if (report.pool)
    lines.push_back(
        "pooled: each report's figures taken as one draw of where its machine then was, with a random "
        "effect across reports (t on reports - 1 degrees of freedom): the intervals are about each "
        "machine's long-run figures; a machine of one report shows that report's own");
  else
    lines.push_back(
        "every interval is about the machine while these runs were made; it drifts, so its long-run "
        "figures need reports made at different times, pooled: callbench-report compare --pool");
  if (report.comparison && report.comparison->position) {
    const auto& position = *report.comparison->position;
    const auto& a = report.series.at(report.comparison->a).name;
    const auto& b = report.series.at(report.comparison->b).name;
    lines.push_back("a pair's second run against its first: " + format_change(position.overall) + " (" +
                    std::to_string(position.a_first) + " pairs with " + a + " first, " +
                    std::to_string(position.b_first) + " with " + b + " first" +
                    (position.p_value ? "; p " + p_relation(*position.p_value) : std::string()) + ")");
  }
  const auto& s = report.analysis_settings;
  lines.push_back(
      (report.tool_version.empty() ? std::string("callbench-report")
                                   : "callbench-report " + report.tool_version) +
      "; " + (s.seed ? "seed " + std::to_string(*s.seed) + ", " : std::string()) + percent_text(kConfidence) +
      " intervals over runs (Student t), Holm-adjusted p, noise threshold " + percent_text(s.noise_threshold));
  if (report.precision) {
    const auto& p = *report.precision;
    // A widest of 0 is none told: too few runs, or runs without scatter.
    std::string line =
        "precision target +/-" + percent_text(p.target) +
        (p.reached ? " reached after " : " NOT reached after ") + std::to_string(p.runs) +
        (p.runs == 1 ? " run" : " runs") +
        (p.widest > 0 ? " (widest +/-" + percent_text(p.widest) + ")" : " (no interval could be told)");
    if (!p.reached && p.runs_needed)
      line += "; at the spread seen it needs about " + std::to_string(*p.runs_needed) + " runs";
    lines.push_back(line);
  }
  return lines;
}

}  // namespace callbench
