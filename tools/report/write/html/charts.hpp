#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "write/html.hpp"

namespace callbench {

// A chart of the page: where it goes, what it is called, one sentence on how to
// read it, and its Vega-Lite declaration with the data included.
struct Chart {
  std::string id;  // the element it is drawn into
  std::string title;
  std::string caption;
  nlohmann::json declaration;
};

// In page order: the ratios to the reference, the change A/B when there is a
// comparison, every figure per procedure, and the figures over time.
std::vector<Chart> build_charts(const HtmlInput& input);

}  // namespace callbench
