// Reports simulated in process with the noise model and decided exactly as
// callbench-report decides: run summaries, decisions, Holm over each family.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cases.hpp"
#include "core/settings.hpp"
#include "outcome.hpp"

namespace callbench::statcheck {

// Processes are numbered as the tool starts them: one warm-up run per series
// first, then the counted runs (A and B alternating, in the tool's balanced order within
// each pair, for interleaved ones); a sequential pair's second report follows
// its first.
// The --seed tool mode gives the tool for a report's seed (the tool takes
// seeds up to 9e18): the order in which the simulation makes the pairs too, so
// that both see the same figures.
inline std::uint64_t tool_order_seed(std::uint64_t seed) {
  return seed >> 4;
}

// The true ratios to TheOne during the counted runs of one series.
std::array<double, kProcedures> ratios_during(const Scenario& scenario, std::size_t runs);

ReportOutcome simulate_report(const Case& c, std::size_t runs, std::uint64_t seed,
                              const AnalysisSettings& settings = {});

}  // namespace callbench::statcheck
