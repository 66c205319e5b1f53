#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model.hpp"
#include "write/document.hpp"

namespace callbench {

struct HtmlInput;

// What the page of a report charts: its series with their analyses, borrowed
// from report and document for as long as the input is used.
HtmlInput report_html_input(const Report& report, const Document& document);

// The self-contained HTML page of a report: its document and the charts of its
// series (and their comparison).
std::string html_report(const Report& report, const Document& document);

// The same for `compare`: one series per file.
std::string html_comparison(const std::vector<LoadedReport>& files,
                            const std::vector<SeriesAnalysis>& analyses,
                            const std::optional<Comparison>& change, const Document& document,
                            double noise_threshold);

}  // namespace callbench
