#include "write/chart_data.hpp"

#include <algorithm>
#include <cstdio>
#include <set>

namespace callbench {

namespace {

// Charts tell series apart by name, so two that share one get a number.
std::vector<std::string> distinct_names(const std::vector<ChartSeries>& series) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (const ChartSeries& s : series) {
    const std::string base = s.name.empty() ? "series" : s.name;
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
  row["resampled"] = interval.resampled;
}

std::string change_label(const ProcedureChange& change) {
  std::string label = verdict_word(change.verdict);
  if (change.test) {
    char p[32];
    std::snprintf(p, sizeof p, " (p %.3g)", change.test->p_value);
    label += p;
  }
  return label;
}

}  // namespace

ChartData collect_chart_data(const HtmlInput& input) {
  ChartData data;
  data.series_names = distinct_names(input.series);
  for (std::size_t s = 0; s < input.series.size(); ++s) {
    const ChartSeries& series = input.series[s];
    const std::string& name = data.series_names[s];
    if (series.runs) {
      for (const Run& run : *series.runs) {
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
    }
    if (!series.analysis) continue;
    for (std::size_t p = 0; p < kProcedures; ++p) {
      if (p == kReference) continue;
      const PairedComparison& paired = series.analysis->paired[p];
      nlohmann::json row = {{"series", name},
                            {"procedure", kProcedureNames[p]},
                            {"verdict", verdict_word(paired.verdict)},
                            {"sweeps", paired.sweeps},
                            {"higher", paired.higher}};
      if (paired.ratio) add_interval(row, *paired.ratio);
      data.ratios.push_back(std::move(row));
    }
  }
  if (input.comparison) {
    for (std::size_t p = 0; p < kProcedures; ++p) {
      const ProcedureChange& change = input.comparison->procedures[p];
      nlohmann::json row = {{"procedure", kProcedureNames[p]},
                            {"verdict", verdict_word(change.verdict)},
                            {"label", change_label(change)}};
      if (change.ratio) add_interval(row, *change.ratio);
      if (change.test) row["p_value"] = change.test->p_value;
      data.changes.push_back(std::move(row));
    }
  }
  return data;
}

}  // namespace callbench
