#include "write/html_report.hpp"

#include "write/html.hpp"
#include "write/layout.hpp"

namespace callbench {

HtmlInput report_html_input(const Report& report, const Document& document) {
  HtmlInput input;
  input.title = "callbench-report";
  if (!report.label.empty()) input.title += ": " + report.label;
  input.noise_threshold = report.analysis_settings.noise_threshold;
  input.document = &document;
  for (std::size_t i = 0; i < report.series.size() && i < report.analysis.size(); ++i) {
    const auto& series = report.series[i];
    const std::string source = source_text(series);
    input.series.push_back({report.series.size() > 1 ? series.name + ": " + source : source,
                            &series.runs, &report.analysis[i]});
  }
  if (report.comparison) input.comparison = &*report.comparison;
  return input;
}

std::string html_report(const Report& report, const Document& document) {
  return render_html(report_html_input(report, document));
}

std::string html_comparison(const std::vector<LoadedReport>& files,
                            const std::vector<SeriesAnalysis>& analyses,
                            const std::optional<Comparison>& change, const Document& document,
                            double noise_threshold) {
  HtmlInput input;
  input.title = "callbench-report: " + std::to_string(files.size()) + " reports compared";
  input.noise_threshold = noise_threshold;
  input.document = &document;
  for (std::size_t i = 0; i < files.size(); ++i)
    input.series.push_back({"[" + std::to_string(i + 1) + "] " + report_label(files[i].report, files[i].file),
                            &files[i].report.series.front().runs, &analyses[i]});
  if (change) input.comparison = &*change;
  return render_html(input);
}

}  // namespace callbench
