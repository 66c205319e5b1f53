#pragma once

#include <string>
#include <vector>

#include "core/report.hpp"
#include "core/report_json.hpp"

namespace callbench {

// The output forms of an analysed report besides the JSON (report_json_text):
// the terminal's table, Markdown, CSV, HTML and the services' files.
std::string export_text(const Report& report);
std::string export_markdown(const Report& report);
std::string export_csv(const Report& report);
std::string export_html(const Report& report);
std::string export_bencher(const Report& report);
std::string export_github_benchmark(const Report& report);

// An output written to a file (or "-", standard output) when its option is given.
struct OutputFormat {
  const char* option;  // "--json"
  std::string help;    // for --help
  const char* what;    // "JSON report", for messages
  std::string (*render)(const Report&);
};

// Every file output, in the order they are written: the JSON first, since it
// holds every figure.
const std::vector<OutputFormat>& output_formats();

}  // namespace callbench
