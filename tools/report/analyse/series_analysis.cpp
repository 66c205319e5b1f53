#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analyse/analysis.hpp"
#include "analyse/bootstrap.hpp"
#include "analyse/sample_statistics.hpp"
#include "analyse/verdicts.hpp"

namespace callbench {
namespace {

bool usable(std::int32_t figure) { return figure > 0; }

// A sample and the medians of its resamples; one with fewer than two runs holding
// values is not resampled.
struct Bootstrapped {
  explicit Bootstrapped(std::size_t runs) : sample(runs) {}
  RunTaggedSample sample;
  std::vector<double> medians;

  std::optional<Interval> median_interval(double confidence) const {
    if (sample.size() == 0) return std::nullopt;
    return percentile_interval(median_of(sample.values()), medians, confidence);
  }
};

void resample_medians(std::vector<Bootstrapped*>& statistics, std::size_t runs,
                      const AnalysisSettings& settings) {
  statistics.erase(std::remove_if(statistics.begin(), statistics.end(),
                                  [](const Bootstrapped* s) { return s->sample.runs_with_values() < 2; }),
                   statistics.end());
  if (statistics.empty()) return;
  for (Bootstrapped* statistic : statistics) statistic->medians.reserve(settings.resamples);
  RunResampler resampler(settings.seed);
  std::vector<std::uint32_t> weights;
  for (int i = 0; i < settings.resamples; ++i) {
    resampler.draw(runs, weights);
    // A resample whose drawn runs hold no value of a statistic says nothing of it.
    for (Bootstrapped* statistic : statistics)
      if (const auto median = statistic->sample.median(weights)) statistic->medians.push_back(*median);
  }
}

}  // namespace

SeriesAnalysis analyse_series(const std::vector<RunFigures>& runs, const std::vector<double>& wall_seconds,
                              const AnalysisSettings& settings, std::optional<double> clocks_per_tick) {
  check_settings(settings);
  SeriesAnalysis analysis;
  const std::size_t n = runs.size();
  std::vector<Bootstrapped> figures(kProcedures, Bootstrapped(n));
  std::vector<Bootstrapped> ratios(kProcedures, Bootstrapped(n)), differences(kProcedures, Bootstrapped(n));

  for (std::size_t run = 0; run < n; ++run) {
    for (const Sweep& sweep : runs[run]) {
      const std::int32_t reference = sweep[kReference];
      for (std::size_t p = 0; p < kProcedures; ++p) {
        ProcedureFigures& own = analysis.procedures[p];
        const std::int32_t figure = sweep[p];
        if (!usable(figure)) {
          ++own.disturbed;
          continue;
        }
        ++own.valid;
        own.min = std::min(own.min.value_or(figure), figure);
        own.max = std::max(own.max.value_or(figure), figure);
        figures[p].sample.add(run, figure);
        if (p == kReference || !usable(reference)) continue;
        PairedComparison& paired = analysis.paired[p];
        ++paired.sweeps;
        paired.higher += figure > reference;
        ratios[p].sample.add(run, static_cast<double>(figure) / reference);
        differences[p].sample.add(run, static_cast<double>(figure) - reference);
      }
    }
  }

  std::vector<Bootstrapped*> statistics;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    for (auto* statistic : {&figures[p], &ratios[p], &differences[p]}) {
      statistic->sample.finish();
      statistics.push_back(statistic);
    }
  }
  resample_medians(statistics, n, settings);

  for (std::size_t p = 0; p < kProcedures; ++p) {
    ProcedureFigures& own = analysis.procedures[p];
    own.median = figures[p].median_interval(settings.confidence);
    if (own.median) {
      own.spread = median_absolute_deviation_of(figures[p].sample.values()) / own.median->estimate;
      own.noisy = *own.spread > kNoisySpread;
    }
    if (own.min && clocks_per_tick) own.core_cycles_per_call = *own.min / 1000.0 * *clocks_per_tick;

    PairedComparison& paired = analysis.paired[p];
    paired.ratio = ratios[p].median_interval(settings.confidence);
    paired.difference = differences[p].median_interval(settings.confidence);
    paired.verdict = paired_verdict(paired.ratio, settings.noise_threshold);
  }
  if (!wall_seconds.empty()) analysis.median_wall_seconds = median_of(wall_seconds);
  return analysis;
}

std::optional<double> widest_paired_interval(const SeriesAnalysis& analysis) {
  double widest = 0;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    if (p == kReference) continue;
    const auto& ratio = analysis.paired[p].ratio;
    if (!ratio || !ratio->resampled) return std::nullopt;
    widest = std::max(widest, ratio->relative_half_width());
  }
  return widest;
}

}  // namespace callbench
