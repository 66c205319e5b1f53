#include "analyse/comparison.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include "analyse/run_summaries.hpp"
#include "analyse/series_analysis.hpp"
#include "stats/drift.hpp"
#include "stats/position.hpp"

namespace callbench {
namespace {

void decide_family(Comparison& comparison, std::vector<Decision> family, const AnalysisSettings& settings) {
  stats::adjust_family(family, settings.noise_threshold);
  std::move(family.begin(), family.end(), comparison.procedures.begin());
}

// From each pair's log differences A - B, over the four procedures (their mean,
// where present) and for each; none unless every order is known and both occur.
std::optional<PositionEffect> position_effect(const SeriesSummary& sa, const SeriesSummary& sb,
                                              const std::vector<std::optional<bool>>& a_first,
                                              const AnalysisSettings& settings) {
  PositionEffect effect;
  std::vector<double> overall;
  std::vector<bool> overall_order;
  std::array<std::vector<double>, kProcedures> each;
  std::array<std::vector<bool>, kProcedures> each_order;
  for (std::size_t i = 0; i < a_first.size(); ++i) {
    if (!a_first[i]) return std::nullopt;
    double sum = 0;
    int present = 0;
    for (std::size_t p = 0; p < kProcedures; ++p) {
      const auto &x = sa.runs[i].log_median[p], &y = sb.runs[i].log_median[p];
      if (!x || !y) continue;
      each[p].push_back(*x - *y);
      each_order[p].push_back(*a_first[i]);
      sum += *x - *y;
      ++present;
    }
    if (present == 0) continue;
    overall.push_back(sum / present);
    overall_order.push_back(*a_first[i]);
  }
  const auto fit = stats::fit_position(overall, overall_order);
  if (!fit) return std::nullopt;
  effect.a_first = fit->a_first;
  effect.b_first = fit->b_first;
  effect.overall = stats::interval_of(fit->position, true);
  effect.p_value = stats::t_test_p(fit->position);
  if (effect.overall.bounded && effect.p_value)
    effect.verdict =
        stats::classify(effect.overall.low, effect.overall.high, *effect.p_value, settings.noise_threshold);
  for (std::size_t p = 0; p < kProcedures; ++p)
    if (const auto own = stats::fit_position(each[p], each_order[p]))
      effect.procedures[p] = stats::interval_of(own->position, true);
  return effect;
}

}  // namespace

Comparison compare_paired(const Series& a, const Series& b, const AnalysisSettings& settings) {
  Comparison comparison;
  comparison.method = Comparison::Method::Paired;
  // Run k of A and run k of B were made one after the other: pair them where both counted.
  std::map<int, const Run*> b_by_number;
  for (const auto& run : b.runs) b_by_number[run.number] = &run;
  std::vector<Figures> paired_a, paired_b;
  std::vector<std::optional<bool>> a_first;  // unknown for runs read without their sequence
  for (const auto& run : a.runs) {
    const auto partner = b_by_number.find(run.number);
    if (partner == b_by_number.end()) continue;
    paired_a.push_back(run.figures);
    paired_b.push_back(partner->second->figures);
    const auto& other = partner->second->sequence;
    a_first.push_back(run.sequence && other ? std::optional<bool>(*run.sequence < *other) : std::nullopt);
  }
  comparison.pairs = paired_a.size();
  const auto sa = summarise_runs(paired_a), sb = summarise_runs(paired_b);
  std::vector<Decision> family;
  for (std::size_t p = 0; p < kProcedures; ++p)
    family.push_back(stats::decide_paired_in_order(log_medians(sa, p), log_medians(sb, p), a_first,
                                                   settings.noise_threshold, stats::kPairsForPositionTerm,
                                                   sa.median_least_variance[p] + sb.median_least_variance[p]));
  decide_family(comparison, std::move(family), settings);
  comparison.position = position_effect(sa, sb, a_first, settings);
  // A carry-over slows all four procedures of a run alike and cancels in their ratios: the plain paired test.
  std::vector<Decision> ratios;
  for (std::size_t p = 0; p < kProcedures; ++p)
    if (p != kReference)
      ratios.push_back(stats::decide_paired(log_ratios_to_reference(sa, p), log_ratios_to_reference(sb, p),
                                            settings.noise_threshold,
                                            sa.ratio_least_variance[p] + sb.ratio_least_variance[p]));
  stats::adjust_family(ratios, settings.noise_threshold);
  comparison.ratios.emplace();
  for (std::size_t p = 0, k = 0; p < kProcedures; ++p)
    if (p != kReference) (*comparison.ratios)[p] = std::move(ratios[k++]);
  return comparison;
}

Comparison compare_across_time(const Series& a, const Series& b, const AnalysisSettings& settings,
                               std::size_t runs_between) {
  Comparison comparison;
  comparison.method = Comparison::Method::AcrossTime;
  const auto sa = summarise_runs(figures_in_time_order(a)), sb = summarise_runs(figures_in_time_order(b));
  std::vector<Decision> family;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const auto logs_a = present_values(log_medians(sa, p)), logs_b = present_values(log_medians(sb, p));
    family.push_back(
        stats::decide_across_time({logs_a, stats::estimate_drift(logs_a), sa.median_least_variance[p]},
                                  {logs_b, stats::estimate_drift(logs_b), sb.median_least_variance[p]},
                                  settings.noise_threshold, runs_between)
            .decision);
  }
  decide_family(comparison, std::move(family), settings);
  return comparison;
}

}  // namespace callbench
