#pragma once

#include <nlohmann/json.hpp>

namespace callbench {

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

}  // namespace callbench
