// The situations the statistics are checked in, and what is counted in each.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "noise_model.hpp"
#include "outcome.hpp"

namespace callbench::statcheck {

enum class Design {
  Single,       // one series, each procedure against TheOne
  Interleaved,  // -- A --vs B: runs of A and B alternate
  Sequential,   // --baseline: a report of A, then one of B
  Pooled,       // compare --pool: reports of one machine made at different times (each its own drift)
};

// What a row counts, per report.
enum class Measure {
  Coverage,              // the three paired-ratio intervals hold the true (long-run) ratios
  CoverageDuring,        // the same intervals hold the ratios during the series' runs
  ClaimOnEqual,          // TestNoFrameB, as dear as TheOne, called slower or faster
  ClaimEach,             // A/A: each procedure's claim, pooled over the four
  ClaimAny,              // A/A: a change claimed on any of the four
  PBelowLevelEach,       // A/A: each procedure's unadjusted p below 0.05, pooled over the four
  DetectedDearerB,       // TestNoFrameA dearer on side B: detected as such
  PositionCoverage,      // interleaved: the position effect's interval holds the true one
  RatioClaimAny,         // A/A: a change of a ratio to TheOne claimed on any of the three
  RatioDetectedDearerB,  // TestNoFrameA dearer on side B: its ratio to TheOne found higher there
  // One series: --precision at the noise threshold would ask for more than
  // kManyRuns runs (or for no number at all) for one of the three ratios.
  ManyRunsNeeded,
};

// --max-runs' default: more than this and --precision gives up.
inline constexpr std::size_t kManyRuns = 100;

// A row is checked when its rate's 95 % interval lies wholly beyond the target
// in the wrong direction, at the given run counts.
struct Target {
  double rate = 0;
  bool at_most = true;  // a rate that must stay at or below `rate`, else at or above
  std::vector<std::size_t> runs;
};

struct Case {
  std::string label;
  Design design = Design::Single;
  double drift = 0;     // scale of the model's drift; 0 for none
  double factor_b = 1;  // TestNoFrameA's cost factor on side B
  Measure measure = Measure::Coverage;
  std::optional<Target> target;
  double noise_scale = 1;                                    // of the model's white noise
  double disturbed_chance = NoiseLevels{}.disturbed_chance;  // of each figure
  double position_effect = 0;  // relative: the second run of an interleaved pair dearer by this
  bool shared_noise = false;   // strong noise shared by a run's four procedures, little within it
  std::size_t reports = 0;     // pooled: how many reports
};

std::vector<Case> standard_cases();

// Cases that differ only in what they count share their reports: the index of
// the first case with the same design, drift, factor and noise.
std::size_t setup_of(const std::vector<Case>& cases, std::size_t c);

// Every case on a machine that drifts or scatters more (or less) than the model's.
void scale_model(std::vector<Case>& cases, double drift_scale, double noise_scale);

Scenario scenario_for(const Case& c, std::uint64_t seed, int side);

// The seed of a pooled case's report `index`: reports made far apart, so that
// each starts where the drift then happens to be.
std::uint64_t pooled_report_seed(std::uint64_t seed, std::size_t index);

// Successes and trials this report adds to the case's row.
struct Count {
  std::size_t hits = 0, trials = 0;
  Count& operator+=(const Count& other) {
    hits += other.hits;
    trials += other.trials;
    return *this;
  }
};
Count score(const Case& c, const ReportOutcome& outcome);

}  // namespace callbench::statcheck
