#include "write/html/charts.hpp"

#include "core/text.hpp"
#include "write/html/chart_data.hpp"
#include "write/html/vega_lite.hpp"

namespace callbench {

using nlohmann::json;

Chart ratio_chart(const ChartData& data, double noise_threshold) {
  const int per_row = 14 + 20 * static_cast<int>(data.series_names.size());
  json offset = data.series_names.size() > 1
                    ? json{{"field", "series"}, {"type", "nominal"},
                           {"scale", {{"domain", data.series_names}}}}
                    : json(nullptr);
  json declaration = {{"width", kPlotWidth},
               {"height", per_row * static_cast<int>(kProcedures - 1)},
               {"layer", interval_layers(data.ratios, procedure_band(false), series_colour(data),
                                         offset, "ratio",
                                         "ratio to TheOne (median of per-sweep ratios)",
                                         "verdict", noise_threshold)},
               {"config", chart_config()}};
  if (data.series_names.size() == 1) declaration["title"] = {{"text", data.series_names[0]}};
  return {"ratios", "Each procedure against TheOne",
          "The point is the median ratio of a procedure's figure to TheOne's in the same sweep, "
          "the line its 95 % interval. The grey band is the noise threshold (±" +
              percent_text(noise_threshold) + ") around 1: within it no difference is claimed.",
          declaration};
}

}  // namespace callbench
