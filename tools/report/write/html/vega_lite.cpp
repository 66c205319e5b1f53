#include "write/html/vega_lite.hpp"

#include "write/html/chart_data.hpp"

namespace callbench {

using nlohmann::json;

const char* verdict_colour(Verdict verdict) {
  switch (verdict) {
    case Verdict::Slower:
      return "#c92a2a";
    case Verdict::Faster:
      return "#2b8a3e";
    case Verdict::Equivalent:
      return "#495057";
    case Verdict::Inconclusive:
      break;
  }
  return "#868e96";
}

json chart_config() {
  return {
      {"font", "system-ui, -apple-system, 'Segoe UI', Roboto, 'Helvetica Neue', Arial, sans-serif"},
      {"background", "transparent"},
      {"view", {{"stroke", nullptr}}},
      {"axis",
       {{"labelColor", kMutedInk},
        {"titleColor", kInk},
        {"labelFontSize", 11},
        {"titleFontSize", 12},
        {"titleFontWeight", 500},
        {"gridColor", "#e4e7eb"},
        {"domainColor", "#9aa5b1"},
        {"tickColor", "#9aa5b1"}}},
      {"legend",
       {{"orient", "top"},
        {"labelFontSize", 12},
        {"labelColor", kInk},
        {"labelLimit", 360},
        {"title", nullptr},
        {"symbolType", "circle"}}},
      {"title",
       {{"anchor", "start"},
        {"fontSize", 13},
        {"fontWeight", 600},
        {"color", kInk},
        {"subtitleColor", kMutedInk},
        {"subtitleFontSize", 11}}},
      {"concat", {{"spacing", 18}}},
  };
}

json quantity(const std::string& field, const std::string& title) {
  return {{"field", field}, {"type", "quantitative"}, {"title", title}};
}

json text_view(const char* text, int width, int height) {
  return {{"width", width},
          {"height", height},
          {"data", {{"values", json::array({{{"text", text}}})}}},
          {"mark", {{"type", "text"}, {"color", kMutedInk}, {"fontSize", 11}}},
          {"encoding", {{"text", {{"field", "text"}}}}}};
}

json series_name_lookup() {
  return {{"lookup", "s"},
          {"from", {{"data", {{"name", "series"}}}, {"key", "s"}, {"fields", json::array({"name", "label"})}}}};
}

json series_dataset(const ChartData& data) {
  json rows = json::array();
  for (std::size_t s = 0; s < data.series.size(); ++s)
    rows.push_back({{"s", s}, {"name", data.series[s].name}, {"label", data.series[s].label}});
  return rows;
}

}  // namespace callbench
