#include "write/html/charts.hpp"

#include <algorithm>
#include <string>

#include "write/html/chart_data.hpp"
#include "write/html/thinning.hpp"
#include "write/html/vega_lite.hpp"

namespace callbench {

using nlohmann::json;

namespace {

// Where one panel goes and how big it is.
struct PanelPlace {
  std::size_t series = 0, procedure = 0;
  int width = 0, height = 0;
  std::string title;
  bool bottom = false;  // the last row carries the run axis' title
  std::size_t most_points = 0;
  bool any_valid = true;  // without valid figures there is no value axis to show
};

json time_x(const ChartData& data, const PanelPlace& place, const char* field) {
  json x = quantity(field, place.bottom ? "run (its three sweeps at thirds)" : "");
  if (!place.bottom) x["title"] = nullptr;
  x["scale"] = {{"domain", {data.first_run, data.last_run + 1}}, {"nice", false}, {"zero", false}};
  x["axis"] = {{"tickMinStep", 1}, {"format", "d"}, {"grid", false}, {"labelOverlap", true}};
  return x;
}

json value_y(const ValueRange& domain, const char* field, const PanelPlace& place) {
  json y = quantity(field, "");
  y["title"] = nullptr;
  y["scale"] = {{"domain", {domain.low, domain.high}}, {"nice", false}, {"zero", false}, {"clamp", true}};
  y["axis"] = place.any_valid
                  ? json{{"tickCount", place.height < 80 ? 3 : 4}, {"format", ",d"}, {"labelOverlap", true}}
                  : json(nullptr);
  return y;
}

json tooltip() {
  return json::array({{{"field", "r"}, {"title", "run"}},
                      {{"field", "w"}, {"title", "sweep"}},
                      {{"field", "v"}, {"title", "millicycles"}}});
}

// Every other run shaded, so that the runs, and the sweeps within each, can be told apart.
json run_shading(const ChartData& data, const PanelPlace& place) {
  return {{"data",
           {{"sequence", {{"start", data.first_run}, {"stop", data.last_run + 1}, {"step", 2}, {"as", "r"}}}}},
          {"transform", json::array({{{"calculate", "datum.r + 1"}, {"as", "r1"}}})},
          {"mark", {{"type", "rect"}, {"color", "#eef1f5"}}},
          {"encoding", {{"x", time_x(data, place, "r")}, {"x2", {{"field", "r1"}}}}}};
}

// Every figure: a line through them in the order measured, a dot each, those
// beyond the scale as triangles at its edge, disturbed ones as red crosses at the foot.
json figure_layers(const ChartData& data, const PanelPlace& place, const ValueRange& domain) {
  const Series& series = *data.series[place.series].source;
  const std::string tag = std::to_string(place.series) + "_" + std::to_string(place.procedure);
  json values = json::array();
  for (const Run& run : series.runs)
    for (std::size_t w = 0; w < kSweeps; ++w)
      values.push_back({{"r", run.number}, {"w", w + 1}, {"v", run.figures[w][place.procedure]}});
  const std::string low = std::to_string(domain.low), high = std::to_string(domain.high);
  const std::string in_range = "datum.v >= " + low + " && datum.v <= " + high;
  const json colour = procedure_palette()[place.procedure];
  json layers = json::array();
  // Shading narrower than a few pixels a run would only grey the panel.
  if (static_cast<int>(series.runs.size()) * 5 <= place.width) layers.push_back(run_shading(data, place));
  layers.push_back({{"name", "line_" + tag},
                    {"transform", json::array({{{"filter", "datum.v > 0"}}})},
                    {"mark", {{"type", "line"}, {"strokeWidth", 1.2}, {"color", colour}, {"opacity", 0.7}}},
                    {"encoding", {{"x", time_x(data, place, "t")}, {"y", value_y(domain, "v", place)}}}});
  layers.push_back(
      {{"name", "points_" + tag},
       {"transform", json::array({{{"filter", "datum.v > 0 && " + in_range}}})},
       {"mark", {{"type", "circle"}, {"size", 14}, {"color", colour}, {"opacity", 0.9}}},
       {"encoding",
        {{"x", time_x(data, place, "t")}, {"y", value_y(domain, "v", place)}, {"tooltip", tooltip()}}}});
  layers.push_back({{"name", "outliers_" + tag},
                    {"transform", json::array({{{"filter", "datum.v > 0 && !(" + in_range + ")"}}})},
                    {"mark", {{"type", "point"}, {"filled", true}, {"size", 40}, {"color", kMutedInk}}},
                    {"encoding",
                     {{"x", time_x(data, place, "t")},
                      {"y", value_y(domain, "v", place)},
                      {"shape",
                       {{"condition", {{"test", "datum.v > " + high}, {"value", "triangle-up"}}},
                        {"value", "triangle-down"}}},
                      {"tooltip", tooltip()}}}});
  layers.push_back(
      {{"name", "disturbed_times_" + tag},
       {"transform", json::array({{{"filter", "datum.v <= 0"}}})},
       {"mark", {{"type", "point"}, {"shape", "cross"}, {"filled", true}, {"size", 50}, {"color", kDisturbed}}},
       {"encoding",
        {{"x", time_x(data, place, "t")}, {"y", value_y(domain, "v", place)}, {"tooltip", tooltip()}}}});
  return {{"data", {{"values", values}}},
          {"transform", json::array({{{"calculate", "datum.r + (datum.w - 1) / 3"}, {"as", "t"}}})},
          {"layer", layers}};
}

// Too many runs to draw each: bins of consecutive runs, their median as the
// line, the tenth to ninetieth percentile as the band, and a red cross at the
// foot of each bin that holds disturbed figures.
json binned_layers(const ChartData& data, const PanelPlace& place, const ValueRange& domain,
                   std::size_t runs_per_bin) {
  const Series& series = *data.series[place.series].source;
  const std::string tag = std::to_string(place.series) + "_" + std::to_string(place.procedure);
  json values = json::array();
  for (const RunBin& bin : bin_runs(series, place.procedure, runs_per_bin)) {
    json row = {{"r", bin.first_run}, {"r2", bin.last_run}, {"d", bin.disturbed}, {"n", bin.valid}};
    if (bin.valid > 0) {
      row["lo"] = bin.low;
      row["m"] = bin.median;
      row["hi"] = bin.high;
    }
    values.push_back(std::move(row));
  }
  const json colour = procedure_palette()[place.procedure];
  const json bin_tooltip = json::array({{{"field", "r"}, {"title", "from run"}},
                                        {{"field", "r2"}, {"title", "to run"}},
                                        {{"field", "m"}, {"title", "median"}},
                                        {{"field", "d"}, {"title", "disturbed"}}});
  json layers = json::array({
      {{"name", "spread_" + tag},
       {"transform", json::array({{{"filter", "datum.n > 0"}}})},
       {"mark", {{"type", "area"}, {"color", colour}, {"opacity", 0.25}}},
       {"encoding",
        {{"x", time_x(data, place, "t")}, {"y", value_y(domain, "lo", place)}, {"y2", {{"field", "hi"}}}}}},
      {{"name", "line_" + tag},
       {"transform", json::array({{{"filter", "datum.n > 0"}}})},
       {"mark", {{"type", "line"}, {"strokeWidth", 1.4}, {"color", colour}}},
       {"encoding",
        {{"x", time_x(data, place, "t")}, {"y", value_y(domain, "m", place)}, {"tooltip", bin_tooltip}}}},
      {{"name", "disturbed_bins_" + tag},
       {"transform", json::array({{{"filter", "datum.d > 0"}}, {{"calculate", "0"}, {"as", "foot"}}})},
       {"mark", {{"type", "point"}, {"shape", "cross"}, {"filled", true}, {"size", 50}, {"color", kDisturbed}}},
       {"encoding",
        {{"x", time_x(data, place, "t")}, {"y", value_y(domain, "foot", place)}, {"tooltip", bin_tooltip}}}},
  });
  return {{"data", {{"values", values}}},
          {"transform", json::array({{{"calculate", "(datum.r + datum.r2 + 1) / 2"}, {"as", "t"}}})},
          {"layer", layers}};
}

json panel(const ChartData& data, PanelPlace place, std::size_t& most_runs_per_bin) {
  const ChartSeries& series = data.series[place.series];
  const FigureSummary& summary = series.summaries[place.procedure];
  if (summary.valid + summary.disturbed == 0) return text_view("no figures", place.width, place.height);
  place.any_valid = summary.valid > 0;
  const ValueRange domain = padded(series.ranges[place.procedure]);
  const std::size_t runs = series.source->runs.size();
  json view;
  if (runs * kSweeps <= place.most_points) {
    view = figure_layers(data, place, domain);
  } else {
    const std::size_t runs_per_bin = stride_for(runs, std::max<std::size_t>(place.most_points / kSweeps, 1));
    most_runs_per_bin = std::max(most_runs_per_bin, runs_per_bin);
    view = binned_layers(data, place, domain, runs_per_bin);
  }
  if (!place.any_valid)
    view["layer"].push_back(
        {{"data", {{"values", json::array({{{"text", "no valid figures: all disturbed"}}})}}},
         {"mark", {{"type", "text"}, {"color", kMutedInk}, {"fontSize", 11}}},
         {"encoding", {{"text", {{"field", "text"}}}}}});
  view["width"] = place.width;
  view["height"] = place.height;
  view["title"] = {{"text", place.title}, {"anchor", "start"}, {"fontSize", 12}, {"fontWeight", 600}};
  return view;
}

}  // namespace

Chart timeline_chart(const ChartData& data) {
  const std::size_t count = data.series.size();
  // Each procedure of each series in a panel of its own, on its own scale: one
  // procedure ten times dearer than the others would flatten them on a shared one.
  // One or two series: a row per procedure, the series side by side, so
  // interleaved runs line up. More: a row per series.
  std::vector<std::vector<PanelPlace>> grid;
  std::vector<std::string> row_titles;
  if (count <= 2) {
    const int width = count == 1 ? kChartWidth - 90 : (kChartWidth - 90 - 24) / 2;
    for (std::size_t p = 0; p < kProcedures; ++p) {
      std::vector<PanelPlace> row;
      for (std::size_t s = 0; s < count; ++s)
        row.push_back({s, p, width, 92,
                       std::string(kProcedureNames[p]) + (count == 2 ? "  ·  " + data.series[s].name : ""),
                       p + 1 == kProcedures, 0});
      grid.push_back(row);
      row_titles.push_back("");
    }
  } else {
    const int width = (kChartWidth - 4 * 55 - 3 * 24) / static_cast<int>(kProcedures);
    for (std::size_t s = 0; s < count; ++s) {
      std::vector<PanelPlace> row;
      for (std::size_t p = 0; p < kProcedures; ++p)
        row.push_back({s, p, width, 60, std::string(kProcedureNames[p]), s + 1 == count, 0});
      grid.push_back(row);
      row_titles.push_back(data.series[s].label);
    }
  }
  const std::size_t panels = std::max<std::size_t>(count * kProcedures, 1);
  std::size_t most_runs_per_bin = 0;
  json rows = json::array();
  for (std::size_t r = 0; r < grid.size(); ++r) {
    json views = json::array();
    for (PanelPlace& place : grid[r]) {
      place.most_points = std::max<std::size_t>(kMostTimelinePoints / panels, 120);
      views.push_back(panel(data, place, most_runs_per_bin));
    }
    json row = {{"hconcat", views},
                {"spacing", 24},
                {"resolve", {{"scale", {{"x", "independent"}, {"y", "independent"}}}}}};
    if (!row_titles[r].empty())
      row["title"] = {{"text", row_titles[r]}, {"anchor", "start"}, {"fontSize", 12.5}};
    rows.push_back(row);
  }
  json declaration = {{"vconcat", rows},
                      {"spacing", count <= 2 ? 14 : 22},
                      {"resolve", {{"scale", {{"x", "independent"}, {"y", "independent"}}}}},
                      {"config", chart_config()}};
  if (count == 1) declaration["title"] = {{"text", data.series[0].name}, {"offset", 10}};
  std::string caption =
      "Each procedure's figures in the order they were measured, run by run (shaded alternately) and sweep "
      "by sweep, in millicycles per call, each panel on its own scale so that warm-up, drift and phases of "
      "the machine show even when one procedure costs many times another. Figures beyond the scale are grey "
      "triangles at its edge; disturbed figures (0 or less) are red crosses at its foot.";
  if (most_runs_per_bin > 1)
    caption += " With this many runs, consecutive runs are summarised in bins (up to " +
               std::to_string(most_runs_per_bin) +
               " runs each): the line is each bin's median, the band its tenth to ninetieth percentile.";
  return {"timeline", "Figures over time", caption, declaration};
}

}  // namespace callbench
