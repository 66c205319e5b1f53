#include "write/html/vega_lite.hpp"

#include "write/html/chart_data.hpp"

namespace callbench {

using nlohmann::json;

json procedure_order(bool with_reference) {
  json names = json::array();
  for (std::size_t p = 0; p < kProcedures; ++p)
    if (with_reference || p != kReference) names.push_back(kProcedureNames[p]);
  return names;
}

json series_colour(const ChartData& data) {
  json range = json::array();
  for (std::size_t s = 0; s < data.series_names.size(); ++s)
    range.push_back(series_palette()[s % series_palette().size()]);
  json colour = {{"field", "series"},
                 {"type", "nominal"},
                 {"scale", {{"domain", data.series_names}, {"range", range}}}};
  // One series needs no key: the chart's title names it.
  colour["legend"] = data.series_names.size() > 1 ? json::object() : json(nullptr);
  return colour;
}

json series_band(const ChartData& data) {
  return {{"field", "series"},
          {"type", "nominal"},
          {"title", nullptr},
          {"axis", nullptr},
          {"scale", {{"type", "band"}, {"domain", data.series_names}, {"paddingInner", 0.25}}}};
}

json quantity(const std::string& field, const std::string& title) {
  return {{"field", field}, {"type", "quantitative"}, {"title", title}};
}

json filter_procedure(std::string_view procedure, const std::string& value_test) {
  return {{"filter", "datum.procedure === '" + std::string(procedure) + "' && " + value_test}};
}

json jitter() {
  return {{"calculate", "((datum.run * 3 + datum.sweep) * 0.6180339887) % 1 - 0.5"},
          {"as", "jitter"}};
}

json jitter_offset() {
  return {{"field", "jitter"}, {"type", "quantitative"},
          {"scale", {{"domain", json::array({-0.75, 0.75})}}}};
}

json text_view(const char* text, int width, int height) {
  return {{"width", width},
          {"height", height},
          {"data", {{"values", json::array({{{"text", text}}})}}},
          {"mark", {{"type", "text"}, {"color", kMutedInk}, {"fontSize", 11}}},
          {"encoding", {{"text", {{"field", "text"}}}}}};
}

json interval_layers(const json& rows, const json& y, const json& colour, const json& offset,
                     const std::string& name, const std::string& x_title, const char* text_field,
                     double noise_threshold) {
  const auto x_of = [&x_title](const char* field) {
    json x = quantity(field, x_title);
    x["scale"] = {{"zero", false}};
    return x;
  };
  json band = {{"name", name + "_noise_band"},
               {"data", {{"values", json::array({{{"low", 1 - noise_threshold},
                                                  {"high", 1 + noise_threshold}}})}}},
               {"mark", {{"type", "rect"}, {"color", kBand}, {"opacity", 0.45}}},
               {"encoding", {{"x", x_of("low")}, {"x2", {{"field", "high"}}}}}};
  json one = {{"name", name + "_one"},
              {"data", {{"values", json::array({{{"one", 1}}})}}},
              {"mark", {{"type", "rule"}, {"color", kMutedInk}, {"strokeDash", {4, 3}}}},
              {"encoding", {{"x", x_of("one")}}}};
  json tooltip = json::array({{{"field", "procedure"}},
                              {{"field", "estimate"}, {"format", ".4f"}},
                              {{"field", "low"}, {"format", ".4f"}},
                              {{"field", "high"}, {"format", ".4f"}},
                              {{"field", text_field}}});
  json shared = {{"y", y}, {"color", colour}, {"tooltip", tooltip}};
  if (!offset.is_null()) {
    shared["yOffset"] = offset;
    tooltip.insert(tooltip.begin(), json::object({{"field", "series"}}));
    shared["tooltip"] = tooltip;
  }
  // Known and unknown rows are drawn by separate layers, each only when it has
  // rows: an empty layer would give the shared scale an infinite extent.
  json known_rows = json::array(), unknown_rows = json::array();
  for (const json& row : rows) (row.contains("estimate") ? known_rows : unknown_rows).push_back(row);
  json layers = json::array({band, one});
  if (!known_rows.empty()) {
    json interval = {{"name", name + "_interval"},
                     {"mark", {{"type", "rule"}, {"strokeWidth", 3}, {"strokeCap", "round"}}},
                     {"encoding", {{"x", x_of("low")}, {"x2", {{"field", "high"}}}}}};
    json point = {{"name", name + "_point"},
                  {"mark", {{"type", "point"}, {"filled", true}, {"size", 80},
                            {"strokeWidth", 1.5}, {"stroke", "white"}, {"opacity", 1}}},
                  {"encoding", {{"x", x_of("estimate")}}}};
    json verdict = {{"name", name + "_verdict"},
                    {"mark", {{"type", "text"}, {"align", "left"}, {"dx", 9}, {"fontSize", 11}}},
                    {"encoding", {{"x", x_of("high")}, {"text", {{"field", text_field}}},
                                  {"color", {{"value", kInk}}}}}};
    layers.push_back({{"data", {{"values", known_rows}}},
                      {"encoding", shared},
                      {"layer", json::array({interval, point, verdict})}});
  }
  if (!unknown_rows.empty()) {
    json encoding = {{"y", y}, {"x", x_of("one")}, {"text", {{"field", text_field}}}};
    if (!offset.is_null()) encoding["yOffset"] = offset;
    layers.push_back({{"name", name + "_unknown"},
                      {"data", {{"values", unknown_rows}}},
                      {"transform", json::array({{{"calculate", "1"}, {"as", "one"}}})},
                      {"mark", {{"type", "text"}, {"align", "left"}, {"dx", 6},
                                {"color", kMutedInk}, {"fontSize", 11}}},
                      {"encoding", encoding}});
  }
  return layers;
}

json procedure_band(bool with_reference) {
  return {{"field", "procedure"},
          {"type", "nominal"},
          {"title", nullptr},
          {"sort", procedure_order(with_reference)},
          {"scale", {{"domain", procedure_order(with_reference)}, {"paddingInner", 0.3}}},
          {"axis", {{"ticks", false}, {"domain", false}, {"labelPadding", 8},
                    {"labelFontSize", 12}, {"labelColor", kInk}}}};
}

}  // namespace callbench
