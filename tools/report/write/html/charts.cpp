#include "write/html/charts.hpp"

#include "write/html/chart_data.hpp"

namespace callbench {

std::vector<Chart> build_charts(const Report& report) {
  const ChartData data = collect_chart_data(report);
  std::vector<Chart> charts;
  charts.push_back(ratio_chart(data));
  if (data.comparison) charts.push_back(change_chart(data));
  charts.push_back(figures_chart(data));
  charts.push_back(timeline_chart(data));
  return charts;
}

}  // namespace callbench
