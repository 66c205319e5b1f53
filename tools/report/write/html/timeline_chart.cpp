#include "write/html/charts.hpp"

#include <algorithm>

#include "write/html/chart_data.hpp"
#include "write/html/vega_lite.hpp"

namespace callbench {

using nlohmann::json;

Chart timeline_chart(const ChartData& data) {
  json colour = {{"field", "procedure"},
                 {"type", "nominal"},
                 {"scale", {{"domain", procedure_order(true)}, {"range", procedure_palette()}}},
                 {"legend", {{"symbolType", "stroke"}, {"symbolStrokeWidth", 2.5}}}};
  json x = quantity("time", "run (its three sweeps at thirds)");
  x["axis"] = {{"tickMinStep", 1}, {"format", "d"}};
  x["scale"] = {{"zero", false}, {"nice", false}};
  json y = quantity("value", "millicycles per call");
  y["scale"] = {{"zero", false}};
  json tooltip = json::array({{{"field", "procedure"}}, {{"field", "run"}}, {{"field", "sweep"}},
                              {{"field", "value"}}});
  // One view of lines per series, stacked on shared scales; marks of a view are
  // numbered when there are several, since every mark needs a name of its own.
  const bool several = data.series_names.size() > 1;
  const auto view = [&](const std::string& series, std::size_t index) {
    const std::string tag = several ? "_" + std::to_string(index) : "";
    const std::string in_series = "datum.series === " + json(series).dump();
    json layers = json::array({
        {{"name", "lines" + tag},
         {"transform", json::array({{{"filter", in_series + " && datum.value > 0"}}})},
         {"mark", {{"type", "line"}, {"strokeWidth", 1.6}, {"interpolate", "linear"}}},
         {"encoding", {{"x", x}, {"y", y}, {"color", colour}, {"tooltip", tooltip}}}},
    });
    // An empty layer would give the shared x scale an infinite extent.
    const bool disturbed = std::any_of(data.figures.begin(), data.figures.end(), [&](const json& row) {
      return row["series"] == series && row["value"].get<double>() <= 0;
    });
    if (disturbed)
      layers.push_back({{"name", "disturbed_times" + tag},
                        {"transform", json::array({{{"filter", in_series + " && datum.value <= 0"}}})},
                        {"mark", {{"type", "rule"}, {"strokeDash", {3, 3}}, {"strokeWidth", 1.2}}},
                        {"encoding", {{"x", x}, {"color", colour}, {"tooltip", tooltip}}}});
    return json{{"title", {{"text", series}, {"anchor", "start"}}},
                {"width", kPlotWidth + kDisturbedWidth},
                {"height", 220},
                {"layer", layers}};
  };
  json declaration = {{"datasets", {{"figures", data.figures}}},
                      {"data", {{"name", "figures"}}},
                      {"transform", json::array({{{"calculate", "datum.run + (datum.sweep - 1) / 3"},
                                                  {"as", "time"}}})},
                      {"config", chart_config()}};
  if (several) {
    json views = json::array();
    for (std::size_t i = 0; i < data.series_names.size(); ++i)
      views.push_back(view(data.series_names[i], i));
    declaration["vconcat"] = views;
    declaration["spacing"] = 24;
    declaration["resolve"] = {{"scale", {{"y", "shared"}, {"x", "shared"}}}};
  } else if (!data.series_names.empty()) {
    declaration.update(view(data.series_names[0], 0));
  }
  return {"timeline", "Figures over time",
          "One line per procedure through its figures in the order they were measured, run by "
          "run and sweep by sweep, so warm-up, drift and phases of the machine show. Dashed "
          "lines mark disturbed figures.",
          declaration};
}

}  // namespace callbench
