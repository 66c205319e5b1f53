#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "core/analysis.hpp"

namespace callbench {

// Pieces of Vega-Lite declarations that the charts share.

// The widest a chart may be and still fit the page's column.
inline constexpr int kChartWidth = 860;
inline constexpr int kDisturbedWidth = 120;

// Colours the page's text and the charts share.
inline constexpr const char* kInk = "#1f2933";
inline constexpr const char* kMutedInk = "#616e7c";
inline constexpr const char* kBand = "#cbd2d9";
inline constexpr const char* kDisturbed = "#c92a2a";

// Series are told apart by colour in every chart; more series than colours repeat them.
inline const nlohmann::json& series_palette() {
  static const nlohmann::json palette = {"#3b5bdb", "#e8590c", "#2b8a3e", "#ae3ec9",
                                         "#0c8599", "#c2255c", "#5c940d", "#862e9c"};
  return palette;
}

// The reference in dark grey, so the others read against it.
inline const nlohmann::json& procedure_palette() {
  static const nlohmann::json palette = {"#e03131", "#f59f00", "#343a40", "#1c7ed6"};
  return palette;
}

// Slower red, faster green, the rest grey: what an interval says, at a glance.
const char* verdict_colour(Verdict verdict);

nlohmann::json chart_config();

nlohmann::json quantity(const std::string& field, const std::string& title);
// A panel that only says why it has nothing to draw.
nlohmann::json text_view(const char* text, int width, int height);
// Adds each row's series name from the chart's "series" dataset: rows carry
// only the series' index `s`, so a name is written once however many rows there are.
nlohmann::json series_name_lookup();
// The "series" dataset: index, name and row label of every series.
struct ChartData;
nlohmann::json series_dataset(const ChartData& data);

}  // namespace callbench
