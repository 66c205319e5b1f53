#include "write/exporter.hpp"

#include "write/layout.hpp"

namespace callbench {
namespace {

class DocumentExporter final : public Exporter {
 public:
  explicit DocumentExporter(std::string (*render)(const Document&)) : render_(render) {}
  std::string render(const Report& report) const override { return render_(layout_report(report)); }

 private:
  std::string (*render_)(const Document&);
};

}  // namespace

std::unique_ptr<Exporter> document_exporter(std::string (*render)(const Document&)) {
  return std::make_unique<DocumentExporter>(render);
}

const std::vector<OutputFormat>& output_formats() {
  const std::string ratio = "Also write each median and ratio to " + std::string(kReferenceName);
  static const std::vector<OutputFormat> formats = {
      {"--json", "Also write every figure and statistic as JSON (- for standard output)", "JSON report",
       make_json_exporter},
      {"--markdown", "Also write the table as Markdown (- for standard output)", "Markdown table",
       make_markdown_exporter},
      {"--csv", "Also write the table as CSV (- for standard output)", "CSV table", make_csv_exporter},
      {"--html", "Also write a self-contained HTML report with charts", "HTML report", make_html_exporter},
      {"--bmf", ratio + " in Bencher Metric Format (- for standard output)", "Bencher Metric Format file",
       make_bencher_exporter},
      {"--github-benchmark", ratio + " as the GitHub benchmark action's customSmallerIsBetter input",
       "GitHub benchmark file", make_github_benchmark_exporter},
  };
  return formats;
}

}  // namespace callbench
