#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace callbench {

// Pieces of Vega-Lite declarations that the charts share.

inline constexpr int kPlotWidth = 650;
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

inline nlohmann::json chart_config() {
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
      {"header", {{"labelFontSize", 12}, {"labelColor", kInk}, {"labelFontWeight", 600}}},
  };
}

struct ChartData;

// The procedures in the benchmark's order, with or without the reference.
nlohmann::json procedure_order(bool with_reference);
// Series told apart by colour, with a key only when there are several.
nlohmann::json series_colour(const ChartData& data);
// Series as bands of a procedure's row, named by the colour key rather than an axis.
nlohmann::json series_band(const ChartData& data);
// Procedures as the rows of a chart.
nlohmann::json procedure_band(bool with_reference);
nlohmann::json quantity(const std::string& field, const std::string& title);
nlohmann::json filter_procedure(std::string_view procedure, const std::string& value_test);
// Spreads the dots of a band evenly and the same way on every drawing.
nlohmann::json jitter();
nlohmann::json jitter_offset();
// A panel that only says why it has nothing to draw.
nlohmann::json text_view(const char* text, int width, int height);
// Interval rows with a noise band around 1: ratios to the reference, or the change A/B.
nlohmann::json interval_layers(const nlohmann::json& rows, const nlohmann::json& y, const nlohmann::json& colour,
                               const nlohmann::json& offset, const std::string& name, const std::string& x_title,
                               const char* text_field, double noise_threshold);

}  // namespace callbench
