#include "write/html/charts.hpp"

#include <algorithm>

#include "write/html/chart_data.hpp"
#include "write/html/vega_lite.hpp"

namespace callbench {

using nlohmann::json;

namespace {

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

}  // namespace

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

}  // namespace callbench
