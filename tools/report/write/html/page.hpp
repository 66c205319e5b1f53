#pragma once

#include <string>
#include <vector>

#include "analyse/analysis.hpp"
#include "core/model.hpp"
#include "write/document.hpp"

namespace callbench {

// One set of runs to chart. The pointers are borrowed for the call of render_html.
struct ChartSeries {
  std::string name;                // e.g. "A: build/linux-i386/callbench", or a report's label
  const std::vector<Run>* runs = nullptr;          // every counted run, figures by sweep
  const SeriesAnalysis* analysis = nullptr;
};

struct HtmlInput {
  std::string title;
  std::vector<ChartSeries> series;         // one; two for A/B or a baseline; one per file for `compare`
  const Comparison* comparison = nullptr;  // the first series against the second
  double noise_threshold = 0.01;
  const Document* document = nullptr;      // the report's tables, conditions and notes
};

// One self-contained page: the document as HTML, the charts as Vega-Lite
// declarations with their data, and the scripts that draw them, all inline,
// so the file opens from disk with no network.
std::string render_html(const HtmlInput& input);

}  // namespace callbench
