#include "write/charts.hpp"

#include <algorithm>
#include <cstdio>

#include "write/chart_data.hpp"
#include "write/chart_style.hpp"

namespace callbench {
namespace {

using nlohmann::json;

constexpr int kPlotWidth = 650;
constexpr int kDisturbedWidth = 120;

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

// Series as bands of a procedure's row, named by the colour key rather than an axis.
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

// Spreads the dots of a band evenly and the same way on every drawing.
json jitter() {
  return {{"calculate", "((datum.run * 3 + datum.sweep) * 0.6180339887) % 1 - 0.5"},
          {"as", "jitter"}};
}

json jitter_offset() {
  return {{"field", "jitter"}, {"type", "quantitative"},
          {"scale", {{"domain", json::array({-0.75, 0.75})}}}};
}

// A panel that only says why it has nothing to draw.
json text_view(const char* text, int width, int height) {
  return {{"width", width},
          {"height", height},
          {"data", {{"values", json::array({{{"text", text}}})}}},
          {"mark", {{"type", "text"}, {"color", kMutedInk}, {"fontSize", 11}}},
          {"encoding", {{"text", {{"field", "text"}}}}}};
}

// The valid figures of one procedure: every one as a jittered dot over the
// box of its quartiles, the median and the minimum marked.
json valid_figures_view(const ChartData& data, std::size_t p, int height) {
  if (data.valid[p] == 0) return text_view("no valid figures", kPlotWidth, height);
  const std::string axis_title = "millicycles per call";
  const std::string tag = std::to_string(p);
  json x_value = quantity("value", axis_title);
  // Room on the left for the minimum's number.
  x_value["scale"] = {{"zero", false}, {"nice", true}, {"padding", 36}};
  // Wide ranges would otherwise crowd the axis with overlapping numbers.
  x_value["axis"] = {{"tickCount", 8}, {"labelOverlap", true}};
  json summary_marks = json::array({
      {{"name", "box_" + tag},
       {"mark", {{"type", "bar"}, {"fillOpacity", 0.14},
                 {"strokeOpacity", 0.9}, {"strokeWidth", 1}, {"cornerRadius", 2}}},
       {"encoding", {{"x", quantity("q1", axis_title)}, {"x2", {{"field", "q3"}}},
                     {"fill", series_colour(data)}, {"stroke", series_colour(data)}}}},
      {{"name", "median_" + tag},
       {"mark", {{"type", "tick"}, {"thickness", 2.5}}},
       {"encoding", {{"x", quantity("median", axis_title)}, {"color", series_colour(data)}}}},
      {{"name", "minimum_" + tag},
       {"mark", {{"type", "tick"}, {"thickness", 2.5}, {"color", kInk}}},
       {"encoding", {{"x", quantity("minimum", axis_title)}}}},
      {{"name", "minimum_label_" + tag},
       {"mark", {{"type", "text"}, {"align", "right"}, {"dx", -5}, {"fontSize", 11},
                 {"fontWeight", 600}, {"color", kInk}}},
       {"encoding", {{"x", quantity("minimum", axis_title)},
                     {"text", {{"field", "minimum"}, {"type", "quantitative"}, {"format", "d"}}}}}},
  });
  json summary = {
      {"transform", json::array({{{"aggregate", json::array({
                                      {{"op", "q1"}, {"field", "value"}, {"as", "q1"}},
                                      {{"op", "q3"}, {"field", "value"}, {"as", "q3"}},
                                      {{"op", "median"}, {"field", "value"}, {"as", "median"}},
                                      {{"op", "min"}, {"field", "value"}, {"as", "minimum"}},
                                  })},
                                  {"groupby", json::array({"series"})}}})},
      {"layer", summary_marks}};
  json dots = {
      {"name", "dots_" + tag},
      {"transform", json::array({jitter()})},
      {"mark", {{"type", "circle"}, {"size", 20}, {"opacity", 0.55}}},
      {"encoding",
       {{"x", x_value},
        {"yOffset", jitter_offset()},
        {"color", series_colour(data)},
        {"tooltip", json::array({{{"field", "series"}}, {{"field", "run"}}, {{"field", "sweep"}},
                                 {{"field", "value"}, {"title", "millicycles"}}})}}}};
  return {{"width", kPlotWidth},
          {"height", height},
          {"transform", json::array({filter_procedure(kProcedureNames[p], "datum.value > 0")})},
          {"encoding", {{"y", series_band(data)}}},
          // The dots first, so the box, median and minimum stay readable above them.
          {"layer", json::array({dots, summary})}};
}

// Disturbed figures of one procedure, apart from the valid ones and their box.
json disturbed_figures_view(const ChartData& data, std::size_t p, int height) {
  if (data.disturbed[p] == 0) return text_view("none disturbed", kDisturbedWidth, height);
  json view = {{"width", kDisturbedWidth}, {"height", height}};
  json x = quantity("value", "disturbed (≤ 0)");
  x["axis"] = {{"tickCount", 3}, {"format", "d"}};
  // Up to 0, and wide enough to show a lone 0.
  x["scale"] = {{"domain", json::array({std::min(-1, data.lowest_disturbed[p]), 0})}, {"nice", true}};
  view["name"] = "disturbed_" + std::to_string(p);
  view["transform"] =
      json::array({filter_procedure(kProcedureNames[p], "datum.value <= 0"), jitter()});
  view["mark"] = {{"type", "point"}, {"shape", "cross"}, {"filled", true}, {"size", 45},
                  {"color", kDisturbed}, {"opacity", 0.8}};
  view["encoding"] = {
      {"x", x},
      {"y", series_band(data)},
      {"yOffset", jitter_offset()},
      {"tooltip", json::array({{{"field", "series"}}, {{"field", "run"}}, {{"field", "sweep"}},
                               {{"field", "value"}, {"title", "millicycles"}}})}};
  return view;
}

Chart figures_chart(const ChartData& data) {
  const int height = std::max(36, 30 * static_cast<int>(data.series_names.size()));
  bool any_disturbed = false;
  for (std::size_t count : data.disturbed) any_disturbed = any_disturbed || count > 0;
  json rows = json::array();
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const std::size_t disturbed = data.disturbed[p];
    std::string title(kProcedureNames[p]);
    if (p == kReference) title += " (reference)";
    json row = {{"title", {{"text", title}}}, {"spacing", 16}};
    // Without any disturbed figure a column for them would only say so four times.
    if (any_disturbed)
      row["hconcat"] = json::array(
          {valid_figures_view(data, p, height), disturbed_figures_view(data, p, height)});
    else
      row["hconcat"] = json::array({valid_figures_view(data, p, height)});
    if (disturbed > 0) row["title"]["subtitle"] = std::to_string(disturbed) + " disturbed, shown apart";
    rows.push_back(row);
  }
  json declaration = {{"datasets", {{"figures", data.figures}}},
               {"data", {{"name", "figures"}}},
               {"vconcat", rows},
               {"spacing", 22},
               {"resolve", {{"scale", {{"x", "independent"}}}}},
               {"config", chart_config()}};
  if (data.series_names.size() == 1)
    declaration["title"] = {{"text", data.series_names[0]}, {"offset", 12}};
  return {"figures", "Every figure",
          "One dot per figure. The box spans the middle half of the valid figures, the coloured "
          "bar marks their median, the dark bar and number their minimum. Figures of 0 or less "
          "(the reference loop ran long) are drawn apart, on the right, and left out of the box.",
          declaration};
}

// Interval rows with a noise band around 1: ratios to the reference, or the change A/B.
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

std::string percent(double fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", fraction * 100);
  return text;
}

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
              percent(noise_threshold) + " %) around 1: within it no difference is claimed.",
          declaration};
}

Chart change_chart(const ChartData& data, double noise_threshold) {
  json colour = {{"field", "verdict"},
                 {"type", "nominal"},
                 {"scale", {{"domain", {"faster", "slower", "no change", "n/a"}},
                            {"range", {"#2b8a3e", "#c92a2a", "#495057", "#adb5bd"}}}},
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
          "interval lies outside the grey noise band (±" + percent(noise_threshold) + " %).",
          declaration};
}

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

}  // namespace

std::vector<Chart> build_charts(const HtmlInput& input) {
  const ChartData data = collect_chart_data(input);
  std::vector<Chart> charts;
  charts.push_back(ratio_chart(data, input.noise_threshold));
  if (input.comparison) charts.push_back(change_chart(data, input.noise_threshold));
  charts.push_back(figures_chart(data));
  charts.push_back(timeline_chart(data));
  return charts;
}

}  // namespace callbench
