#include "write/exporter.hpp"

namespace callbench {

const std::vector<OutputFormat>& output_formats() {
  const std::string ratio = "Also write each median and ratio to " + std::string(kReferenceName);
  static const std::vector<OutputFormat> formats = {
      {"--json", "Also write every figure and statistic as JSON (- for standard output)", "JSON report",
       report_json_text},
      {"--markdown", "Also write the table as Markdown (- for standard output)", "Markdown table",
       export_markdown},
      {"--csv", "Also write the table as CSV (- for standard output)", "CSV table", export_csv},
      {"--html", "Also write a self-contained HTML report with charts", "HTML report", export_html},
      {"--bmf", ratio + " in Bencher Metric Format (- for standard output)", "Bencher Metric Format file",
       export_bencher},
      {"--github-benchmark", ratio + " as the GitHub benchmark action's customSmallerIsBetter input",
       "GitHub benchmark file", export_github_benchmark},
  };
  return formats;
}

}  // namespace callbench
