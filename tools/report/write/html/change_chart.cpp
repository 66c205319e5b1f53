#include "write/html/charts.hpp"

#include "core/text.hpp"
#include "write/html/chart_data.hpp"
#include "write/html/interval_chart.hpp"
#include "write/html/vega_lite.hpp"
#include "write/number_format.hpp"

namespace callbench {

using nlohmann::json;

Chart change_chart(const ChartData& data) {
  IntervalPanel panel;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const Decision& change = data.comparison->procedures[p];
    IntervalRow row{std::string(kProcedureNames[p]), std::nullopt, "n/a", change.verdict};
    if (change.ratio.estimate > 0) {
      row.ratio = change.ratio;
      row.text = format_change(change.ratio) + "  " + verdict_word(change.verdict);
    }
    panel.rows.push_back(row);
  }
  const ChartSeries* a = data.comparison->a < data.series.size() ? &data.series[data.comparison->a] : nullptr;
  const ChartSeries* b = data.comparison->b < data.series.size() ? &data.series[data.comparison->b] : nullptr;
  json declaration = {{"vconcat", json::array({interval_panel(panel, "change", 0, data.noise_threshold,
                                                              kChartWidth - kNumbersWidth - 120,
                                                              "median of A ÷ median of B (log scale)")})},
                      {"config", chart_config()}};
  declaration["title"] = {{"text", a ? a->name : kRunSeriesNames[0]},
                          {"subtitle", "against " + (b ? b->name : kRunSeriesNames[1])},
                          {"offset", 10}};
  return {"change", "Change A / B",
          "The tick is the ratio of A's median figure to B's, the bar its " + confidence_percent() +
              " % interval, on a logarithmic axis; below 1 A is faster. A change is claimed only when it is "
              "significant and its whole interval "
              "lies outside the grey noise band (±" +
              percent_text(data.noise_threshold) +
              "); the bar is red for slower, green for faster, grey otherwise.",
          declaration};
}

}  // namespace callbench
