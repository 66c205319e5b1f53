#pragma once

#include <string>
#include <vector>

#include "core/model.hpp"
#include "write/document.hpp"

namespace callbench {

// The document of a report that made (or read) its runs: one series, two run
// interleaved, or one against a baseline. The report must be analysed.
Document layout_report(const Report& report);

// The document of `compare`: one column group per report file; with two, the change.
// Each report contributes its first series; analyses[i] belongs to files[i].
Document layout_comparison(const std::vector<LoadedReport>& files,
                           const std::vector<SeriesAnalysis>& analyses,
                           const std::optional<Comparison>& change,
                           const AnalysisSettings& settings);

// A command as a shell would need it typed: words with spaces or quotes quoted.
std::string command_text(const std::vector<std::string>& command);

// Where a series' runs came from: its command, or how many captured outputs.
std::string source_text(const Series& series);

// What tells two reports apart at a glance: the label, else machine and date.
std::string report_label(const Report& report, const std::string& file);

// The lines that describe the conditions of a report, for its footer.
std::vector<std::string> condition_lines(const Report& report);

// Warnings when two reports cannot be compared like for like: other processor,
// unit or benchmark.
std::vector<std::string> mismatch_warnings(const Report& a, const Report& b,
                                           const std::string& a_name, const std::string& b_name);

}  // namespace callbench
