#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "analyse/analysis.hpp"
#include "analyse/bootstrap.hpp"
#include "analyse/rank_test.hpp"
#include "analyse/sample_statistics.hpp"
#include "analyse/verdicts.hpp"

namespace callbench {
namespace {

// One procedure's valid figures on both sides, and the ratios of medians of the resamples.
struct Sides {
  Sides(std::size_t runs_a, std::size_t runs_b) : a(runs_a), b(runs_b) {}
  RunTaggedSample a, b;
  std::vector<double> ratios;
};

void add_figures(const std::vector<RunFigures>& runs, std::size_t procedure, RunTaggedSample& sample) {
  for (std::size_t run = 0; run < runs.size(); ++run)
    for (const Sweep& sweep : runs[run])
      if (sweep[procedure] > 0) sample.add(run, sweep[procedure]);
}

// Pairs in which both runs hold a valid figure of the procedure.
std::size_t usable_pairs(const std::vector<RunFigures>& a, const std::vector<RunFigures>& b,
                         std::size_t procedure) {
  const auto holds = [procedure](const RunFigures& run) {
    for (const Sweep& sweep : run)
      if (sweep[procedure] > 0) return true;
    return false;
  };
  std::size_t pairs = 0;
  for (std::size_t i = 0; i < a.size(); ++i) pairs += holds(a[i]) && holds(b[i]);
  return pairs;
}

}  // namespace

Comparison compare_series(const std::vector<RunFigures>& a, const std::vector<RunFigures>& b, bool paired_runs,
                          const AnalysisSettings& settings) {
  check_settings(settings);
  if (paired_runs && a.size() != b.size())
    throw std::invalid_argument("paired series must have as many runs on each side");
  Comparison comparison;
  comparison.paired_runs = paired_runs;
  if (paired_runs) comparison.pairs = a.size();

  std::vector<Sides> sides(kProcedures, Sides(a.size(), b.size()));
  std::vector<Sides*> resampled;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    add_figures(a, p, sides[p].a);
    add_figures(b, p, sides[p].b);
    sides[p].a.finish();
    sides[p].b.finish();
    const bool enough = paired_runs ? usable_pairs(a, b, p) >= 2
                                    : sides[p].a.runs_with_values() >= 2 && sides[p].b.runs_with_values() >= 2;
    if (enough) {
      sides[p].ratios.reserve(settings.resamples);
      resampled.push_back(&sides[p]);
    }
  }

  if (!resampled.empty()) {
    RunResampler resampler(settings.seed);
    std::vector<std::uint32_t> weights_a, weights_b;
    for (int i = 0; i < settings.resamples; ++i) {
      resampler.draw(a.size(), weights_a);
      // Paired runs are drawn together: the same weights apply to both sides.
      if (!paired_runs) resampler.draw(b.size(), weights_b);
      const auto& drawn_b = paired_runs ? weights_a : weights_b;
      for (Sides* side : resampled) {
        const auto median_a = side->a.median(weights_a), median_b = side->b.median(drawn_b);
        if (median_a && median_b) side->ratios.push_back(*median_a / *median_b);
      }
    }
  }

  for (std::size_t p = 0; p < kProcedures; ++p) {
    ProcedureChange& change = comparison.procedures[p];
    if (sides[p].a.size() == 0 || sides[p].b.size() == 0) continue;
    const std::vector<double> figures_a = sides[p].a.values(), figures_b = sides[p].b.values();
    change.ratio = percentile_interval(median_of(figures_a) / median_of(figures_b), sides[p].ratios,
                                       settings.confidence);
    change.test = mann_whitney(figures_a, figures_b);
    change.verdict = change_verdict(change.ratio, change.test, settings.noise_threshold);
  }
  return comparison;
}

}  // namespace callbench
