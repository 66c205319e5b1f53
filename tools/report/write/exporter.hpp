#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/report.hpp"
#include "write/document.hpp"

namespace callbench {

// One output form of an analysed report: the terminal's table, Markdown, CSV,
// JSON, HTML.
class Exporter {
 public:
  virtual ~Exporter() = default;
  virtual std::string render(const Report& report) const = 0;
};

// An exporter that renders the report's document (layout_report) this way.
std::unique_ptr<Exporter> document_exporter(std::string (*render)(const Document&));

std::unique_ptr<Exporter> make_text_exporter();
std::unique_ptr<Exporter> make_markdown_exporter();
std::unique_ptr<Exporter> make_csv_exporter();
std::unique_ptr<Exporter> make_json_exporter();
std::unique_ptr<Exporter> make_html_exporter();
std::unique_ptr<Exporter> make_bencher_exporter();
std::unique_ptr<Exporter> make_github_benchmark_exporter();

// An output written to a file (or "-", standard output) when its option is given.
struct OutputFormat {
  const char* option;  // "--json"
  std::string help;    // for --help
  const char* what;    // "JSON report", for messages
  std::unique_ptr<Exporter> (*make)();
};

// Every file output, in the order they are written: the JSON first, since it
// holds every figure.
const std::vector<OutputFormat>& output_formats();

}  // namespace callbench
