// `compare`: report files side by side, nothing run.
#include <stdexcept>

#include "analyse/report_analysis.hpp"
#include "app/options.hpp"
#include "app/outputs.hpp"
#include "read/report_file.hpp"
#include "write/html_report.hpp"
#include "write/layout.hpp"

namespace callbench {

int compare(const CompareOptions& options) {
  PreparedOutputs outputs;
  std::vector<LoadedReport> files;
  try {
    outputs = prepare_outputs(options.outputs);
    for (const auto& file : options.files) files.push_back(load_report(file));
  } catch (const std::exception& e) {
    complain(e.what());
    return kExitBadInput;
  }

  // Each file's own series, analysed afresh so that old files and new settings agree.
  std::vector<SeriesAnalysis> analyses;
  for (const auto& file : files)
    analyses.push_back(
        analyse_series_under(file.report.series.front(), file.report.conditions, options.analysis));
  std::optional<Comparison> change;
  if (files.size() == 2)
    change = compare_series(figures_of(files[0].report.series.front().runs),
                            figures_of(files[1].report.series.front().runs), false, options.analysis);

  const auto document = layout_comparison(files, analyses, change, options.analysis);
  Deliverables what;
  what.document = &document;
  what.html = [&] {
    return html_comparison(files, analyses, change, document, options.analysis.noise_threshold);
  };
  return deliver(outputs, what) ? 0 : kExitIncomplete;
}

}  // namespace callbench
