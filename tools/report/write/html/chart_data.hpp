#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/report.hpp"

namespace callbench {

// The rows the charts are drawn from, taken from the model as it is.
struct ChartData {
  std::vector<std::string> series_names;  // distinct, in input order
  // One row per figure: series, procedure, run, sweep (from 1), value.
  nlohmann::json figures = nlohmann::json::array();
  // Per procedure over all series: how many figures are valid, how many are
  // disturbed (<= 0), and the lowest of those.
  std::array<std::size_t, kProcedures> valid{};
  std::array<std::size_t, kProcedures> disturbed{};
  std::array<std::int32_t, kProcedures> lowest_disturbed{};
  // One row per series and procedure other than the reference: series, procedure,
  // verdict, and, when known, estimate, low, high, sweeps, higher.
  nlohmann::json ratios = nlohmann::json::array();
  // One row per procedure of the comparison: procedure, verdict, label, and,
  // when known, estimate, low, high, p_value.
  nlohmann::json changes = nlohmann::json::array();
};

// The name a series goes by in the charts: with its source when there are
// few, its label when it came from a report file.
std::string chart_series_name(const Report& report, const Series& series);

ChartData collect_chart_data(const Report& report);

}  // namespace callbench
