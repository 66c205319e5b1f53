#include "analyse/precision.hpp"

#include <algorithm>

#include "analyse/comparison.hpp"
#include "analyse/series_analysis.hpp"

namespace callbench {
namespace {

// Folds one decision into the status; false when its interval cannot be told
// yet (an interval of no width is a coincidence of few runs, not a precision).
bool include(const Decision& decision, PrecisionStatus& status) {
  if (!decision.ratio.bounded || !(decision.ratio.high > decision.ratio.low)) return false;
  status.widest = std::max(status.widest, decision.ratio.relative_half_width());
  if (decision.runs_needed)
    status.runs_needed = std::max(status.runs_needed.value_or(0), static_cast<int>(*decision.runs_needed));
  return true;
}

}  // namespace

std::optional<PrecisionStatus> precision_status(const std::vector<std::vector<Run>>& runs_per_series,
                                                double target, const AnalysisSettings& settings) {
  // Runs needed are told for the target, not for the noise threshold.
  AnalysisSettings toward_target = settings;
  toward_target.noise_threshold = target;
  PrecisionStatus status;
  std::vector<Series> series;
  for (const auto& runs : runs_per_series) {
    Series s;
    s.runs = runs;
    const auto analysis = analyse_series(s, toward_target);
    for (std::size_t p = 0; p < kProcedures; ++p)
      if (p != kReference && !include(analysis.paired[p].decision, status)) return std::nullopt;
    series.push_back(std::move(s));
  }
  if (series.size() == 2) {
    const auto change = compare_paired(series[0], series[1], toward_target);
    for (const auto& decision : change.procedures)
      if (!include(decision, status)) return std::nullopt;
    for (std::size_t p = 0; p < kProcedures; ++p)
      if (change.ratios && p != kReference && !include((*change.ratios)[p], status)) return std::nullopt;
  }
  return status;
}

}  // namespace callbench
