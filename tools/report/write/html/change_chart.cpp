#include "write/html/charts.hpp"

#include "core/text.hpp"
#include "write/html/chart_data.hpp"
#include "write/html/vega_lite.hpp"

namespace callbench {

using nlohmann::json;

Chart change_chart(const ChartData& data, double noise_threshold) {
  json colour = {{"field", "verdict"},
                 {"type", "nominal"},
                 {"scale", {{"domain", {"faster", "slower", "equivalent", "inconclusive"}},
                            {"range", {"#2b8a3e", "#c92a2a", "#495057", "#868e96"}}}},
                 {"legend", nullptr}};
  json declaration = {{"width", kPlotWidth},
               {"height", 34 * static_cast<int>(kProcedures)},
               {"layer", interval_layers(data.changes, procedure_band(true), colour, nullptr,
                                         "change", "median of A ÷ median of B", "label",
                                         noise_threshold)},
               {"config", chart_config()}};
  const std::string a = data.series_names.size() > 0 ? data.series_names[0] : "A";
  const std::string b = data.series_names.size() > 1 ? data.series_names[1] : "B";
  declaration["title"] = {{"text", a}, {"subtitle", "against " + b}};
  return {"change", "Change A / B",
          "The point is the ratio of A's median figure to B's, the line its 95 % interval; "
          "below 1 A is faster. A change is claimed only when it is significant and its whole "
          "interval lies outside the grey noise band (±" + percent_text(noise_threshold) + ").",
          declaration};
}

}  // namespace callbench
