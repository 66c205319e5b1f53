#pragma once

#include <array>
#include <string_view>

namespace callbench {

struct ChartScript {
  std::string_view name;  // e.g. "vega"
  std::string_view code;
};

// Vega, Vega-Lite and vega-embed, in the order a page must load them, with
// their source-map comments cut: a page opened from disk must not ask for files.
std::array<ChartScript, 3> chart_scripts();

}  // namespace callbench
