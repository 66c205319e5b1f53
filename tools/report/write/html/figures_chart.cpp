#include "write/html/charts.hpp"

#include <algorithm>
#include <cmath>

#include "write/html/broken_axis.hpp"
#include "write/html/chart_data.hpp"
#include "write/html/thinning.hpp"
#include "write/html/vega_lite.hpp"

namespace callbench {

using nlohmann::json;

namespace {

constexpr const char* kAxisTitle = "millicycles per call (log scale)";
// The figures of a series fill at least this much of their part of the axis.
constexpr double kMinSeriesPixels = 90;

// Figures drawn as dots: every stride-th of each series and procedure, in the
// order measured, so that warm-up and late runs are both represented. Rows
// carry the series by index.
json dot_rows(const ChartData& data, std::size_t most_per_series, std::size_t& drawn) {
  json rows = json::array();
  for (std::size_t s = 0; s < data.series.size(); ++s) {
    const Series& series = *data.series[s].source;
    for (std::size_t p = 0; p < kProcedures; ++p) {
      const FigureSummary& summary = data.series[s].summaries[p];
      const std::size_t valid_stride = stride_for(summary.valid, most_per_series);
      const std::size_t disturbed_stride = stride_for(summary.disturbed, most_per_series);
      std::size_t valid = 0, disturbed = 0;
      for (const Run& run : series.runs)
        for (std::size_t w = 0; w < kSweeps; ++w) {
          const std::int32_t value = run.figures[w][p];
          const bool keep = value > 0 ? valid++ % valid_stride == 0 : disturbed++ % disturbed_stride == 0;
          if (!keep) continue;
          rows.push_back({{"s", s}, {"p", p}, {"r", run.number}, {"w", w + 1}, {"v", value}});
          ++drawn;
        }
    }
  }
  return rows;
}

json summary_rows(const ChartData& data) {
  json rows = json::array();
  for (std::size_t s = 0; s < data.series.size(); ++s)
    for (std::size_t p = 0; p < kProcedures; ++p) {
      const FigureSummary& summary = data.series[s].summaries[p];
      if (summary.valid == 0) continue;
      rows.push_back({{"s", s},
                      {"p", p},
                      {"q1", summary.q1},
                      {"q3", summary.q3},
                      {"median", summary.median},
                      {"minimum", summary.min}});
    }
  return rows;
}

std::string in_procedure(std::size_t p) {
  return "datum.p === " + std::to_string(p);
}

json jitter() {
  return {{"calculate", "((datum.r * 3 + datum.w) * 0.6180339887) % 1 - 0.5"}, {"as", "jitter"}};
}

json jitter_offset() {
  return {{"field", "jitter"}, {"type", "quantitative"}, {"scale", {{"domain", json::array({-0.75, 0.75})}}}};
}

json tooltip() {
  return json::array({{{"field", "name"}, {"title", "series"}},
                      {{"field", "r"}, {"title", "run"}},
                      {{"field", "w"}, {"title", "sweep"}},
                      {{"field", "v"}, {"title", "millicycles"}}});
}

// The series as rows of a procedure's panel, labelled on the axis when there are several.
json series_rows(const ChartData& data, const std::vector<std::size_t>& order) {
  json labels = json::array();
  for (std::size_t s : order) labels.push_back(data.series[s].label);
  json axis = nullptr;
  if (data.series.size() > 1)
    axis = {{"title", nullptr},  {"ticks", false},        {"domain", false},
            {"labelLimit", 240}, {"labelFontSize", 11.5}, {"labelColor", kInk}};
  return {{"field", "label"},
          {"type", "nominal"},
          {"sort", nullptr},
          {"scale", {{"type", "band"}, {"domain", labels}, {"paddingInner", 0.25}}},
          {"axis", axis}};
}

json series_colour(const ChartData& data) {
  json domain = json::array(), range = json::array();
  for (std::size_t s = 0; s < data.series.size(); ++s) {
    domain.push_back(s);
    range.push_back(series_palette()[s % series_palette().size()]);
  }
  return {{"field", "s"},
          {"type", "nominal"},
          {"scale", {{"domain", domain}, {"range", range}}},
          {"legend", nullptr}};
}

// The valid figures of one procedure in one part of its axis: dots over the
// box of their quartiles, median and minimum marked, for the series in the part.
json part_view(const ChartData& data, std::size_t p, const std::vector<std::size_t>& order,
               const std::vector<std::size_t>& in_part, const AxisPart& part, std::size_t k, bool several_parts,
               int height) {
  const std::string tag = std::to_string(p) + "_" + std::to_string(k);
  // Room on the left for the median's number, some 40 pixels.
  const double room_share = std::min(40.0 / part.width, 0.3);
  const double left = part.low * std::pow(part.high / part.low, -room_share / (1 - room_share));
  const auto x_of = [&](const char* field) {
    json x = quantity(field, kAxisTitle);
    if (k > 0) x["title"] = nullptr;
    x["scale"] = {{"type", "log"}, {"domain", {left, part.high}}, {"nice", false}, {"clamp", true}};
    x["axis"] = {
        {"values", part.ticks}, {"format", ",." + std::to_string(part.decimals) + "f"}, {"labelOverlap", true}};
    return x;
  };
  json y = series_rows(data, order);
  if (k > 0) y["axis"] = nullptr;
  json members = json::array();
  for (std::size_t s : in_part) members.push_back(s);
  const std::string in_series = "indexof(" + members.dump() + ", datum.s) >= 0";
  const std::string low = std::to_string(left), high = std::to_string(part.high);
  const std::string in_range = "datum.v >= " + low + " && datum.v <= " + high;
  json dots = {
      {"data", {{"name", "dots"}}},
      {"transform", json::array({{{"filter", in_procedure(p) + " && datum.v > 0 && " + in_series}},
                                 series_name_lookup(),
                                 jitter()})},
      {"layer", json::array({
                    {{"name", "dots_" + tag},
                     {"transform", json::array({{{"filter", in_range}}})},
                     {"mark", {{"type", "circle"}, {"size", 18}, {"opacity", 0.5}}},
                     {"encoding",
                      {{"x", x_of("v")},
                       {"y", y},
                       {"yOffset", jitter_offset()},
                       {"color", series_colour(data)},
                       {"tooltip", tooltip()}}}},
                    // Beyond the scale: at its edge, as a triangle pointing the way it lies.
                    {{"name", "offscale_" + tag},
                     {"transform", json::array({{{"filter", "!(" + in_range + ")"}}})},
                     {"mark", {{"type", "point"}, {"filled", true}, {"size", 36}, {"color", kMutedInk}}},
                     {"encoding",
                      {{"x", x_of("v")},
                       {"y", y},
                       {"yOffset", jitter_offset()},
                       {"shape",
                        {{"condition", {{"test", "datum.v > " + high}, {"value", "triangle-right"}}},
                         {"value", "triangle-left"}}},
                       {"tooltip", tooltip()}}}},
                })}};
  json summary_marks = json::array({
      {{"name", "box_" + tag},
       {"mark",
        {{"type", "bar"},
         {"fillOpacity", 0.14},
         {"strokeOpacity", 0.9},
         {"strokeWidth", 1},
         {"cornerRadius", 2}}},
       {"encoding",
        {{"x", x_of("q1")},
         {"x2", {{"field", "q3"}}},
         {"y", y},
         {"fill", series_colour(data)},
         {"stroke", series_colour(data)}}}},
      {{"name", "median_" + tag},
       {"mark", {{"type", "tick"}, {"thickness", 2.5}}},
       {"encoding", {{"x", x_of("median")}, {"y", y}, {"color", series_colour(data)}}}},
      {{"name", "minimum_" + tag},
       {"mark", {{"type", "tick"}, {"thickness", 1.5}, {"color", kMutedInk}}},
       {"encoding", {{"x", x_of("minimum")}, {"y", y}}}},
      // The median's number at the panel's left edge: the figure to quote.
      {{"name", "median_label_" + tag},
       {"mark", {{"type", "text"}, {"align", "left"}, {"fontSize", 11}, {"fontWeight", 600}, {"color", kInk}}},
       {"encoding",
        {{"x", {{"value", 2}}},
         {"y", y},
         {"text", {{"field", "median"}, {"type", "quantitative"}, {"format", "d"}}}}}},
  });
  json summary = {
      {"data", {{"name", "summary"}}},
      {"transform", json::array({{{"filter", in_procedure(p) + " && " + in_series}}, series_name_lookup()})},
      {"layer", summary_marks}};
  // The dots first, so the box, median and minimum stay readable above them.
  json view = {{"width", part.width}, {"height", height}, {"layer", json::array({dots, summary})}};
  if (several_parts) view["view"] = {{"stroke", "#cbd2d9"}, {"fill", "#fbfcfd"}};
  return view;
}

// The valid figures of one procedure on a log axis that each series' figures
// fill a fair part of: series of machines that differ tenfold get parts of
// their own, as in the ratio chart.
json valid_views(const ChartData& data, std::size_t p, const std::vector<std::size_t>& order, int width,
                 int height) {
  std::vector<Span> spans;
  std::vector<std::size_t> with_figures;
  for (std::size_t s = 0; s < data.series.size(); ++s) {
    const ValueRange& range = data.series[s].ranges[p];
    if (data.series[s].summaries[p].valid == 0) continue;
    spans.push_back({range.low, range.high});
    with_figures.push_back(s);
  }
  const std::vector<AxisPart> parts = broken_axis(spans, width, kMinSeriesPixels, 0);
  json views = json::array();
  for (std::size_t k = 0; k < parts.size(); ++k) {
    std::vector<std::size_t> in_part;
    for (std::size_t i = 0; i < spans.size(); ++i)
      if (part_holding(parts, spans[i]) == k) in_part.push_back(with_figures[i]);
    views.push_back(part_view(data, p, order, in_part, parts[k], k, parts.size() > 1, height));
  }
  return views;
}

// Disturbed figures of one procedure, apart from the valid ones and their box.
json disturbed_view(const ChartData& data, std::size_t p, const std::vector<std::size_t>& order, int height) {
  std::size_t disturbed = 0;
  std::int32_t lowest = -1;
  for (const ChartSeries& series : data.series) {
    disturbed += series.summaries[p].disturbed;
    if (series.summaries[p].disturbed > 0) lowest = std::min(lowest, series.summaries[p].lowest_disturbed);
  }
  if (disturbed == 0) return text_view("none disturbed", kDisturbedWidth, height);
  json x = quantity("v", "disturbed (≤ 0)");
  x["axis"] = {{"tickCount", 3}, {"format", "d"}};
  x["scale"] = {{"domain", json::array({lowest, 0})}, {"nice", true}};
  json y = series_rows(data, order);
  y["axis"] = nullptr;
  return {{"name", "disturbed_" + std::to_string(p)},
          {"width", kDisturbedWidth},
          {"height", height},
          {"data", {{"name", "dots"}}},
          {"transform",
           json::array({{{"filter", in_procedure(p) + " && datum.v <= 0"}}, series_name_lookup(), jitter()})},
          {"mark",
           {{"type", "point"},
            {"shape", "cross"},
            {"filled", true},
            {"size", 45},
            {"color", kDisturbed},
            {"opacity", 0.8}}},
          {"encoding", {{"x", x}, {"y", y}, {"yOffset", jitter_offset()}, {"tooltip", tooltip()}}}};
}

std::string count_text(std::size_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
  return digits;
}

}  // namespace

Chart figures_chart(const ChartData& data) {
  const std::size_t series = std::max<std::size_t>(data.series.size(), 1);
  const int height = series == 1 ? 44 : 26 * static_cast<int>(series);
  std::size_t total = 0, drawn = 0;
  bool any_disturbed = false;
  for (const ChartSeries& s : data.series)
    for (const FigureSummary& summary : s.summaries) {
      total += summary.valid + summary.disturbed;
      any_disturbed = any_disturbed || summary.disturbed > 0;
    }
  // What is left of the chart's width beside the series' names and the disturbed figures.
  const int width = kChartWidth - (series > 1 ? 250 : 20) - (any_disturbed ? kDisturbedWidth + 16 : 0);
  const json dots = dot_rows(data, std::max<std::size_t>(kMostDots / (series * kProcedures), 40), drawn);
  json rows = json::array();
  for (std::size_t p = 0; p < kProcedures; ++p) {
    std::vector<double> medians;
    for (const ChartSeries& s : data.series)
      medians.push_back(s.summaries[p].valid > 0 ? s.summaries[p].median : NAN);
    const std::vector<std::size_t> order = row_order(data, medians);
    std::string title(kProcedureNames[p]);
    if (p == kReference) title += " (reference)";
    std::size_t disturbed = 0;
    for (const ChartSeries& s : data.series) disturbed += s.summaries[p].disturbed;
    json row = {{"title", {{"text", title}}}, {"spacing", 16}};
    if (disturbed > 0) row["title"]["subtitle"] = count_text(disturbed) + " disturbed, shown apart";
    bool any_valid = false;
    for (const ChartSeries& s : data.series) any_valid = any_valid || s.summaries[p].valid > 0;
    json views = any_valid ? valid_views(data, p, order, width, height)
                           : json::array({text_view("no valid figures", width, height)});
    // Without any disturbed figure a column for them would only say so four times.
    if (any_disturbed) views.push_back(disturbed_view(data, p, order, height));
    row["hconcat"] = views;
    row["resolve"] = {{"scale", {{"x", "independent"}}}};
    rows.push_back(row);
  }
  json declaration = {
      {"datasets", {{"series", series_dataset(data)}, {"dots", dots}, {"summary", summary_rows(data)}}},
      {"vconcat", rows},
      {"spacing", 22},
      {"resolve", {{"scale", {{"x", "independent"}}}}},
      {"config", chart_config()}};
  if (data.series.size() == 1) declaration["title"] = {{"text", data.series[0].name}, {"offset", 12}};
  std::string caption =
      "One dot per figure. The box spans the middle half of the valid figures, the coloured bar marks their "
      "median (its number at the left), the grey bar their minimum. Each procedure has its own scale, filled "
      "by the bulk of "
      "its figures, logarithmic, and broken into framed parts where series differ so much that one scale "
      "would squeeze them; figures beyond it are grey triangles at its edge. Figures of 0 or less (the "
      "reference loop ran long) are drawn apart, on the right, and "
      "left out of the box.";
  if (drawn < total)
    caption += " Of " + count_text(total) + " figures, " + count_text(drawn) +
               " (evenly spread over the runs) are drawn as dots; the boxes, medians and minima hold them all.";
  return {"figures", "Every figure", caption, declaration};
}

}  // namespace callbench
