#include "analyse/series_analysis.hpp"

#include <algorithm>
#include <cmath>

#include "analyse/run_summaries.hpp"
#include "stats/calibration_summary.hpp"
#include "stats/drift.hpp"
#include "stats/mean_estimate.hpp"
#include "stats/robust.hpp"

namespace callbench {
namespace {

bool usable(std::int32_t figure) {
  return figure > 0;
}

std::optional<double> summary_of(const std::optional<Calibration>& calibration) {
  if (!calibration) return std::nullopt;
  const auto summary = stats::summarise_calibration_samples(calibration->samples);
  if (!summary) return std::nullopt;
  return summary->clocks_per_tick;
}

std::optional<ClockEstimate> clock_estimate(const Conditions& conditions) {
  ClockEstimate clock;
  clock.before = summary_of(conditions.calibration_before);
  clock.after = summary_of(conditions.calibration_after);
  if (!clock.before && !clock.after) return std::nullopt;
  if (clock.before && clock.after) {
    clock.clocks_per_tick = (*clock.before + *clock.after) / 2;
    clock.stable = std::fabs(*clock.before - *clock.after) <=
                   kCalibrationAgreement * std::max(*clock.before, *clock.after);
  } else {
    clock.clocks_per_tick = clock.before ? *clock.before : *clock.after;
  }
  return clock;
}

}  // namespace

std::vector<Figures> figures_in_time_order(const Series& series) {
  std::vector<const Run*> runs;
  for (const auto& run : series.runs) runs.push_back(&run);
  std::stable_sort(runs.begin(), runs.end(), [](const Run* x, const Run* y) {
    if (x->sequence && y->sequence) return *x->sequence < *y->sequence;
    return x->number < y->number;
  });
  std::vector<Figures> figures;
  for (const Run* run : runs) figures.push_back(run->figures);
  return figures;
}

SeriesAnalysis analyse_series(const Series& series, const AnalysisSettings& settings) {
  SeriesAnalysis analysis;
  const auto figures = figures_in_time_order(series);
  const auto summaries = summarise_runs(figures);
  analysis.clock = clock_estimate(series.conditions);

  std::vector<Decision> paired;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    ProcedureFigures& own = analysis.procedures[p];
    std::vector<double> valid;
    PairedWithReference& with_reference = analysis.paired[p];
    for (const auto& run : figures) {
      for (const Sweep& sweep : run) {
        if (!usable(sweep[p])) {
          ++own.disturbed;
          continue;
        }
        valid.push_back(sweep[p]);
        own.min = std::min(own.min.value_or(sweep[p]), sweep[p]);
        own.max = std::max(own.max.value_or(sweep[p]), sweep[p]);
        if (p == kReference || !usable(sweep[kReference])) continue;
        ++with_reference.sweeps;
        with_reference.higher += sweep[p] > sweep[kReference];
      }
    }
    own.valid = valid.size();
    own.low_outliers = stats::count_low_outliers(valid, kOutlierDeviations);
    own.high_outliers = stats::count_high_outliers(valid, kOutlierDeviations);

    const auto logs = present_values(log_medians(summaries, p));
    own.median = stats::mean_interval(logs, true, summaries.median_least_variance[p]);
    own.runs_left_out = summaries.median_left_out[p];
    if (const auto middle = stats::median(valid)) {
      own.spread = *stats::median_absolute_deviation(valid) / *middle;
      own.noisy = *own.spread > kNoisySpread;
    }
    if (own.median && analysis.clock && analysis.clock->stable)
      own.core_cycles_per_call = own.median->estimate / 1000.0 * analysis.clock->clocks_per_tick;
    const auto drift = stats::estimate_drift(logs);
    if (drift.measured) analysis.drift[p] = drift.step_variance;

    if (p == kReference) continue;
    with_reference.difference = stats::mean_interval(present_values(differences_to_reference(summaries, p)),
                                                     false, summaries.difference_least_variance[p]);
    with_reference.runs_left_out = summaries.ratio_left_out[p];
    paired.push_back(stats::decide_one_sample(present_values(log_ratios_to_reference(summaries, p)),
                                              settings.noise_threshold, summaries.ratio_least_variance[p]));
  }
  stats::adjust_family(paired, settings.noise_threshold);
  for (std::size_t p = 0, k = 0; p < kProcedures; ++p)
    if (p != kReference) analysis.paired[p].decision = std::move(paired[k++]);

  std::vector<double> walls;
  for (const auto& run : series.runs)
    if (run.wall_seconds) walls.push_back(*run.wall_seconds);
  analysis.median_wall_seconds = stats::median(walls);
  return analysis;
}

}  // namespace callbench
