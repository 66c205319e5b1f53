#include "write/html/chart_data.hpp"

#include "write/labels.hpp"

#include <algorithm>
#include <cstdio>
#include <set>

namespace callbench {

namespace {

// Charts tell series apart by name, so two that share one get a number.
std::vector<std::string> distinct_names(const Report& report) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (const Series& s : report.series) {
    const std::string given = chart_series_name(report, s);
    const std::string base = given.empty() ? "series" : given;
    std::string name = base;
    for (int n = 2; taken.count(name) != 0; ++n) name = base + " (" + std::to_string(n) + ")";
    taken.insert(name);
    names.push_back(name);
  }
  return names;
}

void add_interval(nlohmann::json& row, const Interval& interval) {
  row["estimate"] = interval.estimate;
  row["low"] = interval.low;
  row["high"] = interval.high;
  row["bounded"] = interval.bounded;
}

std::string change_label(const Decision& change) {
  std::string label = verdict_word(change.verdict);
  if (const auto p = change.p_adjusted ? change.p_adjusted : change.p_value) {
    char text[32];
    std::snprintf(text, sizeof text, " (p %.3g)", *p);
    label += text;
  }
  return label;
}

}  // namespace

std::string chart_series_name(const Report& report, const Series& series) {
  if (series.file) return series.name + " " + series_label(series);
  const std::string source = source_text(series);
  return report.series.size() > 1 ? series.name + ": " + source : source;
}

ChartData collect_chart_data(const Report& report) {
  ChartData data;
  data.series_names = distinct_names(report);
  for (std::size_t s = 0; s < report.series.size(); ++s) {
    const Series& series = report.series[s];
    const std::string& name = data.series_names[s];
    for (const Run& run : series.runs) {
      for (std::size_t w = 0; w < kSweeps; ++w) {
        for (std::size_t p = 0; p < kProcedures; ++p) {
          const std::int32_t value = run.figures[w][p];
          if (value > 0) {
            ++data.valid[p];
          } else {
            data.lowest_disturbed[p] = std::min(data.lowest_disturbed[p], value);
            ++data.disturbed[p];
          }
          data.figures.push_back({{"series", name},
                                  {"procedure", kProcedureNames[p]},
                                  {"run", run.number},
                                  {"sweep", w + 1},
                                  {"value", value}});
        }
      }
    }
    if (!series.analysis) continue;
    for (std::size_t p = 0; p < kProcedures; ++p) {
      if (p == kReference) continue;
      const PairedWithReference& paired = series.analysis->paired[p];
      nlohmann::json row = {{"series", name},
                            {"procedure", kProcedureNames[p]},
                            {"verdict", verdict_word(paired.decision.verdict)},
                            {"sweeps", paired.sweeps},
                            {"higher", paired.higher}};
      if (paired.decision.ratio.estimate > 0) add_interval(row, paired.decision.ratio);
      data.ratios.push_back(std::move(row));
    }
  }
  if (report.comparison) {
    for (std::size_t p = 0; p < kProcedures; ++p) {
      const Decision& change = report.comparison->procedures[p];
      nlohmann::json row = {{"procedure", kProcedureNames[p]},
                            {"verdict", verdict_word(change.verdict)},
                            {"label", change_label(change)}};
      if (change.ratio.estimate > 0) add_interval(row, change.ratio);
      if (change.p_adjusted) row["p_value"] = *change.p_adjusted;
      data.changes.push_back(std::move(row));
    }
  }
  return data;
}

}  // namespace callbench
