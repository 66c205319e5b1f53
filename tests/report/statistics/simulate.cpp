#include "simulate.hpp"

#include <vector>

#include "analyse/comparison.hpp"
#include "analyse/pooling.hpp"
#include "analyse/run_summaries.hpp"
#include "analyse/series_analysis.hpp"
#include "random_stream.hpp"
#include "run/pair_order.hpp"
#include "stats/decisions.hpp"

namespace callbench::statcheck {

namespace {

constexpr std::uint64_t kWarmup = 1;

std::vector<Figures> series(const Scenario& s, std::uint64_t first_process, std::size_t runs, int side) {
  const auto drift = drift_path(s, first_process + runs);
  std::vector<Figures> figures;
  for (std::size_t i = 0; i < runs; ++i)
    figures.push_back(simulate_run(s, first_process + i, side, drift[first_process + i]));
  return figures;
}

Claim claim_of(stats::Verdict verdict) {
  return verdict == stats::Verdict::Slower   ? Claim::Slower
         : verdict == stats::Verdict::Faster ? Claim::Faster
                                             : Claim::None;
}

ReportOutcome claims_of(std::vector<stats::Decision> family, double noise_threshold) {
  stats::adjust_family(family, noise_threshold);
  ReportOutcome outcome;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const auto& d = family[p];
    outcome.claims[p] = claim_of(d.verdict);
    if (d.ratio.bounded) outcome.intervals[p] = RatioInterval{d.ratio.low, d.ratio.high};
    outcome.p_values[p] = d.p_value;
    outcome.runs_needed[p] = d.runs_needed;
  }
  return outcome;
}

ReportOutcome single(const Case& c, std::size_t runs, std::uint64_t seed, double noise_threshold) {
  const Scenario scenario = scenario_for(c, seed, 0);
  const auto summaries = summarise_runs(series(scenario, kWarmup, runs, 0));
  // TheOne's own entry has no p-value, so the family is the other three.
  std::vector<stats::Decision> family(kProcedures);
  for (std::size_t p = 0; p < kProcedures; ++p)
    if (p != kReference)
      family[p] = stats::decide_one_sample(present_values(log_ratios_to_reference(summaries, p)),
                                           noise_threshold, summaries.ratio_least_variance[p]);
  ReportOutcome outcome = claims_of(std::move(family), noise_threshold);
  outcome.ratios_during = ratios_during(scenario, runs);
  return outcome;
}

ReportOutcome interleaved(const Case& c, std::size_t runs, std::uint64_t seed, double noise_threshold) {
  const Scenario a = scenario_for(c, seed, 0), b = scenario_for(c, seed, 1);
  PairOrder order(tool_order_seed(seed), static_cast<int>(runs));
  Series side_a, side_b;
  const std::uint64_t first = 2 * kWarmup;
  const auto drift = drift_path(a, first + 2 * runs);  // the machine's, the same for both sides
  for (std::size_t i = 0; i < runs; ++i) {
    const bool b_first = order.second_first(static_cast<int>(i + 1));
    const std::uint64_t pa = first + 2 * i + (b_first ? 1 : 0), pb = first + 2 * i + (b_first ? 0 : 1);
    const int number = static_cast<int>(i + 1);
    // Sequences count from 1, as the tool's do.
    side_a.runs.push_back({number, static_cast<int>(pa + 1), std::nullopt, simulate_run(a, pa, 0, drift[pa])});
    side_b.runs.push_back({number, static_cast<int>(pb + 1), std::nullopt, simulate_run(b, pb, 1, drift[pb])});
  }
  AnalysisSettings settings;
  settings.noise_threshold = noise_threshold;
  const Comparison comparison = compare_paired(side_a, side_b, settings);
  ReportOutcome outcome;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    outcome.claims[p] = claim_of(comparison.procedures[p].verdict);
    outcome.p_values[p] = comparison.procedures[p].p_value;
  }
  if (comparison.ratios)
    for (std::size_t p = 0; p < kProcedures; ++p)
      outcome.ratio_claims[p] = claim_of((*comparison.ratios)[p].verdict);
  if (comparison.position && comparison.position->overall.bounded)
    outcome.position = RatioInterval{comparison.position->overall.low, comparison.position->overall.high};
  return outcome;
}

ReportOutcome sequential(const Case& c, std::size_t runs, std::uint64_t seed, double noise_threshold) {
  const auto old_runs = summarise_runs(series(scenario_for(c, seed, 0), kWarmup, runs, 0));
  const auto new_runs = summarise_runs(series(scenario_for(c, seed, 1), 2 * kWarmup + runs, runs, 1));
  std::vector<stats::Decision> family;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const auto was = present_values(log_medians(old_runs, p)), now = present_values(log_medians(new_runs, p));
    family.push_back(stats::decide_across_time(
                         {now, stats::estimate_drift(now), new_runs.median_least_variance[p]},
                         {was, stats::estimate_drift(was), old_runs.median_least_variance[p]}, noise_threshold,
                         kWarmup)  // the new report's warm-up run lies between the two
                         .decision);
  }
  return claims_of(std::move(family), noise_threshold);
}

// Reports of one machine made far apart, each its own series from where the
// drift then is, pooled as compare --pool pools them.
ReportOutcome pooled(const Case& c, std::size_t runs, std::uint64_t seed, double noise_threshold) {
  AnalysisSettings settings;
  settings.noise_threshold = noise_threshold;
  std::vector<Series> reports(c.reports);
  for (std::size_t j = 0; j < c.reports; ++j) {
    const auto figures = series(scenario_for(c, pooled_report_seed(seed, j), 0), kWarmup, runs, 0);
    reports[j].label = "the machine";
    for (std::size_t i = 0; i < runs; ++i)
      reports[j].runs.push_back(
          {static_cast<int>(i + 1), static_cast<int>(i + 1 + kWarmup), std::nullopt, figures[i]});
    reports[j].analysis = analyse_series(reports[j], settings);
  }
  const auto machines = pool_by_machine(reports, settings);
  ReportOutcome outcome;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    if (p == kReference) continue;
    const auto& d = machines.at(0).ratios[p];
    outcome.claims[p] = claim_of(d.verdict);
    if (d.ratio.bounded) outcome.intervals[p] = RatioInterval{d.ratio.low, d.ratio.high};
  }
  return outcome;
}

}  // namespace

std::array<double, kProcedures> ratios_during(const Scenario& scenario, std::size_t runs) {
  std::array<double, kProcedures> ratios{};
  for (std::size_t p = 0; p < kProcedures; ++p) ratios[p] = ratio_during(scenario, p, kWarmup, runs);
  return ratios;
}

ReportOutcome simulate_report(const Case& c, std::size_t runs, std::uint64_t seed,
                              const AnalysisSettings& settings) {
  const double noise_threshold = settings.noise_threshold;
  switch (c.design) {
    case Design::Single:
      return single(c, runs, seed, noise_threshold);
    case Design::Interleaved:
      return interleaved(c, runs, seed, noise_threshold);
    case Design::Pooled:
      return pooled(c, runs, seed, noise_threshold);
    case Design::Sequential:
      break;
  }
  return sequential(c, runs, seed, noise_threshold);
}

}  // namespace callbench::statcheck
