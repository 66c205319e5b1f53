#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "stats/drift.hpp"
#include "stats/levels.hpp"

namespace callbench::stats {

// What a comparison of two costs may claim. slower/faster: significant after
// adjustment for the family and the whole interval beyond the noise threshold;
// equivalent: the whole interval within it; inconclusive: anything else.
enum class Verdict { Slower, Faster, Equivalent, Inconclusive };

struct DecisionSettings {
  double noise_threshold = 0.01;    // T: ratios within [1 - T, 1 + T] are no change worth claiming
  double confidence = kConfidence;  // of every interval
  double significance = kSignificance;
};

// A ratio of costs decided from per-run log values. Everything is on the ratio
// scale (exp of the log mean); the interval is estimate x/÷ (1 + half_width).
struct Decision {
  std::size_t values = 0;            // runs (pairs) that gave a value
  std::optional<double> estimate;    // none without values
  std::optional<double> low, high;   // none below two values
  std::optional<double> p;           // two-sided, against a ratio of 1
  std::optional<double> adjusted_p;  // after Holm over the family; p until adjust_family
  double df = 0;
  Verdict verdict = Verdict::Inconclusive;
  std::optional<double> half_width;  // relative half-width the data resolve
  // Runs (pairs; for reports made at different times, runs in each) that would
  // bring half_width down to the noise threshold at the spread seen; none below
  // two values or when no number of runs would.
  std::optional<std::size_t> runs_needed;
};

// The verdict rule alone: p is the family-adjusted p-value; the bounds are
// strict for a claim (an interval ending exactly at 1 + T is not beyond it) and
// inclusive for equivalence.
Verdict classify(double low, double high, double adjusted_p, const DecisionSettings& settings);

// One series, one procedure against the reference: Student t on its per-run
// log ratios (n - 1 degrees of freedom).
Decision decide_one_sample(const std::vector<double>& log_ratios, const DecisionSettings& settings = {});

// Interleaved runs: a[i] and b[i] made one after the other (std::nullopt where a
// run gave no value; such a pair is left out). Paired t on log a - log b; the
// ratio is a / b. Throws std::invalid_argument for sides of different lengths.
Decision decide_paired(const std::vector<std::optional<double>>& a, const std::vector<std::optional<double>>& b,
                       const DecisionSettings& settings = {});

// Two reports made at different times, each a series of per-run log values in
// run order with its drift estimate. The ratio is a / b; its variance adds to
// the runs' scatter what the machine's drift could move the two means apart by.
struct AcrossTimeDecision {
  Decision decision;
  bool drift_measured = false;  // false: too few runs; a run's whole scatter is taken as possible drift
  double drift_variance = 0;    // the drift's share of the log ratio's variance
};
AcrossTimeDecision decide_across_time(const std::vector<double>& a, const DriftEstimate& drift_a,
                                      const std::vector<double>& b, const DriftEstimate& drift_b,
                                      const DecisionSettings& settings = {}, std::size_t runs_between = 0);

// Holm over one family of decisions (the four procedures of an A/B comparison,
// the three ratios to the reference of one series): sets adjusted_p and decides
// each verdict again. Decisions without a p-value stay out of the family.
void adjust_family(std::vector<Decision>& family, const DecisionSettings& settings = {});

}  // namespace callbench::stats
