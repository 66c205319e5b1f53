#include "write/html/interval_chart.hpp"

#include <algorithm>
#include <cmath>

#include "write/html/broken_axis.hpp"
#include "write/html/vega_lite.hpp"

namespace callbench {

using nlohmann::json;

namespace {

constexpr int kRowHeight = 24;
// Narrower than this, an interval reads as a dot.
constexpr double kMinIntervalPixels = 8;

// Where no change is claimed: the verdicts' own 1 - t to 1 + t.
Span noise_band(double noise_threshold) {
  return {std::max(1 - noise_threshold, 1e-3), 1 + noise_threshold};
}

bool known(const IntervalRow& row) {
  return row.ratio && row.ratio->estimate > 0 && std::isfinite(row.ratio->estimate);
}

// An interval that can be drawn as a line: bounded, positive and not a single value.
bool has_width(const IntervalRow& row) {
  return known(row) && row.ratio->bounded && row.ratio->low > 0 && row.ratio->high > row.ratio->low;
}

Span span_of(const IntervalRow& row) {
  if (has_width(row)) return {row.ratio->low, row.ratio->high};
  return {row.ratio->estimate, row.ratio->estimate};
}

json row_axis(const IntervalPanel& panel, bool labelled) {
  json labels = json::array();
  for (const IntervalRow& row : panel.rows) labels.push_back(row.label);
  json axis = nullptr;
  if (labelled)
    axis = {{"title", nullptr},    {"ticks", false},     {"domain", false},  {"labelPadding", 8},
            {"labelFontSize", 12}, {"labelColor", kInk}, {"labelLimit", 300}};
  return {{"field", "label"},
          {"type", "nominal"},
          {"sort", nullptr},
          {"scale", {{"type", "band"}, {"domain", labels}, {"paddingInner", 0.25}, {"paddingOuter", 0.2}}},
          {"axis", axis}};
}

json ratio_x(const AxisPart& part, const char* field, const std::string& title) {
  json axis = {{"values", part.ticks},
               {"format", ",." + std::to_string(part.decimals) + "f"},
               {"labelFlush", false},
               {"grid", true}};
  axis["title"] = title.empty() ? json(nullptr) : json(title);
  return {{"field", field},
          {"type", "quantitative"},
          {"scale", {{"type", "log"}, {"domain", {part.low, part.high}}, {"nice", false}, {"clamp", true}}},
          {"axis", axis}};
}

json row_values(const IntervalPanel& panel, const std::vector<AxisPart>& parts, std::size_t part,
                bool (*wanted)(const IntervalRow&)) {
  json values = json::array();
  for (const IntervalRow& row : panel.rows) {
    if (!wanted(row) || part_holding(parts, span_of(row)) != part) continue;
    json value = {{"label", row.label},
                  {"estimate", row.ratio->estimate},
                  {"text", row.text},
                  {"colour", verdict_colour(row.verdict)}};
    if (has_width(row)) {
      value["low"] = row.ratio->low;
      value["high"] = row.ratio->high;
    }
    values.push_back(std::move(value));
  }
  return values;
}

json part_view(const IntervalPanel& panel, const std::vector<AxisPart>& parts, std::size_t k,
               const std::string& name, const std::string& suffix, double noise_threshold,
               const std::string& axis_title) {
  const AxisPart& part = parts[k];
  const std::string title = k == 0 ? axis_title : "";
  const json colour = {{"field", "colour"}, {"type", "nominal"}, {"scale", nullptr}, {"legend", nullptr}};
  const json tooltip =
      json::array({{{"field", "label"}, {"title", "row"}}, {{"field", "text"}, {"title", "ratio"}}});
  json layers = json::array();
  const Span band = noise_band(noise_threshold);
  if (part_holding(parts, {1, 1}) == k) {
    layers.push_back({{"name", name + "_band" + suffix},
                      {"data", {{"values", json::array({{{"low", band.low}, {"high", band.high}}})}}},
                      {"mark", {{"type", "rect"}, {"color", kBand}, {"opacity", 0.6}}},
                      {"encoding", {{"x", ratio_x(part, "low", title)}, {"x2", {{"field", "high"}}}}}});
    layers.push_back({{"name", name + "_one" + suffix},
                      {"data", {{"values", json::array({{{"one", 1}}})}}},
                      {"mark", {{"type", "rule"}, {"color", kMutedInk}, {"strokeDash", {4, 3}}}},
                      {"encoding", {{"x", ratio_x(part, "one", title)}}}});
  }
  layers.push_back({{"name", name + "_interval" + suffix},
                    {"data", {{"values", row_values(panel, parts, k, has_width)}}},
                    {"mark", {{"type", "rule"}, {"strokeWidth", 6}, {"strokeCap", "butt"}, {"opacity", 0.8}}},
                    {"encoding",
                     {{"x", ratio_x(part, "low", title)},
                      {"x2", {{"field", "high"}}},
                      {"y", row_axis(panel, k == 0)},
                      {"color", colour},
                      {"tooltip", tooltip}}}});
  layers.push_back(
      {{"name", name + "_estimate" + suffix},
       {"data", {{"values", row_values(panel, parts, k, known)}}},
       {"mark", {{"type", "tick"}, {"thickness", 2}, {"size", kRowHeight * 0.7}, {"color", kInk}}},
       {"encoding",
        {{"x", ratio_x(part, "estimate", title)}, {"y", row_axis(panel, k == 0)}, {"tooltip", tooltip}}}});
  json view = {
      {"width", part.width}, {"height", kRowHeight * static_cast<int>(panel.rows.size())}, {"layer", layers}};
  // The parts of a broken axis are framed, so that each reads as a scale of its own.
  if (parts.size() > 1) view["view"] = {{"stroke", "#cbd2d9"}, {"fill", "#fbfcfd"}};
  return view;
}

json numbers_view(const IntervalPanel& panel, const std::string& name, const std::string& suffix) {
  json values = json::array();
  for (const IntervalRow& row : panel.rows)
    values.push_back({{"label", row.label}, {"text", row.text}, {"colour", verdict_colour(row.verdict)}});
  return {{"name", name + "_numbers" + suffix},
          {"width", kNumbersWidth},
          {"height", kRowHeight * static_cast<int>(panel.rows.size())},
          {"data", {{"values", values}}},
          {"mark",
           {{"type", "text"},
            {"align", "left"},
            {"baseline", "middle"},
            {"fontSize", 11.5},
            {"limit", kNumbersWidth}}},
          {"encoding",
           {{"x", {{"value", 0}}},
            {"y", row_axis(panel, false)},
            {"text", {{"field", "text"}}},
            {"color", {{"field", "colour"}, {"type", "nominal"}, {"scale", nullptr}, {"legend", nullptr}}}}}};
}

}  // namespace

json interval_panel(const IntervalPanel& panel, const std::string& name, std::size_t index,
                    double noise_threshold, int width, const std::string& axis_title) {
  std::vector<Span> spans = {noise_band(noise_threshold)};
  for (const IntervalRow& row : panel.rows)
    if (known(row)) spans.push_back(span_of(row));
  const std::vector<AxisPart> parts = broken_axis(spans, width, kMinIntervalPixels, 0.5);
  json views = json::array();
  for (std::size_t k = 0; k < parts.size(); ++k)
    views.push_back(part_view(panel, parts, k, name, "_" + std::to_string(index) + "_" + std::to_string(k),
                              noise_threshold, axis_title));
  views.push_back(numbers_view(panel, name, "_" + std::to_string(index)));
  json view = {{"hconcat", views}, {"spacing", kAxisBreak}, {"resolve", {{"scale", {{"x", "independent"}}}}}};
  if (!panel.title.empty()) view["title"] = {{"text", panel.title}, {"anchor", "start"}};
  return view;
}

}  // namespace callbench
