#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/report.hpp"

namespace callbench {

struct ChartData;

// A chart of the page: where it goes, what it is called, how to read it, and
// its Vega-Lite declaration with the data included.
struct Chart {
  std::string id;  // the element it is drawn into
  std::string title;
  std::string caption;
  nlohmann::json declaration;
};

// In page order: the ratios to the reference, the change A/B when there is a
// comparison, every figure per procedure, and the figures over time.
std::vector<Chart> build_charts(const Report& report);

// One file each.
Chart ratio_chart(const ChartData& data);
Chart change_chart(const ChartData& data);  // needs data.comparison
Chart figures_chart(const ChartData& data);
Chart timeline_chart(const ChartData& data);

}  // namespace callbench
