#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "stats/drift.hpp"
#include "stats/mean_estimate.hpp"

namespace callbench::stats {

// What a comparison of two costs may claim. slower/faster: significant after
// adjustment for the family and the whole interval beyond the noise threshold;
// equivalent: the whole interval within it; inconclusive: anything else.
enum class Verdict { Slower, Faster, Equivalent, Inconclusive };

// A ratio of costs decided from per-run log values (a procedure to the
// reference, or A to B), with the test behind it and what it allows to say.
// Everything is on the ratio scale (exp of the log mean).
struct Decision {
  Interval ratio;                    // estimate 0 without values; not bounded below two
  std::size_t values = 0;            // runs (pairs) that gave a value
  std::optional<double> p_value;     // two-sided, against a ratio of 1
  std::optional<double> p_adjusted;  // after Holm over the family; p_value until adjust_family
  double degrees_of_freedom = 0;
  Verdict verdict = Verdict::Inconclusive;
  // What the data resolve (told with an inconclusive verdict): the relative
  // half-width of the interval, estimate x/÷ (1 + resolvable), and the runs
  // (pairs; for reports made at different times, runs in each) that would
  // bring it within the noise threshold at the spread seen; none below two
  // values or when no number of runs would.
  std::optional<double> resolvable;
  std::optional<std::size_t> runs_needed;
};

// Every decision takes the noise threshold T: ratios within [1 - T, 1 + T] are
// no change worth claiming. And the least variance one run's value can have
// (GroupedValues::least_variance): runs that scatter less than that say
// nothing more precise.

// The verdict rule alone: p is the family-adjusted p-value; the bounds are
// strict for a claim (an interval ending exactly at 1 + T is not beyond it) and
// inclusive for equivalence; an interval of no width claims nothing.
Verdict classify(double low, double high, double adjusted_p, double noise_threshold);

// One series, one procedure against the reference: Student t on its per-run
// log ratios (n - 1 degrees of freedom).
Decision decide_one_sample(const std::vector<double>& log_ratios, double noise_threshold,
                           double least_variance = 0);

// Interleaved runs: a[i] and b[i] made one after the other (std::nullopt where a
// run gave no value; such a pair is left out). Paired t on log a - log b; the
// ratio is a / b; least_variance is that of one difference. Throws
// std::invalid_argument for sides of different lengths.
Decision decide_paired(const std::vector<std::optional<double>>& a, const std::vector<std::optional<double>>& b,
                       double noise_threshold, double least_variance = 0);

// A ratio decided from an estimate of its log made elsewhere (a fit with more
// terms than a mean, a pool of reports); `spread`, one value's standard
// deviation, gives the runs needed, when runs are what it would take.
Decision decide_log_estimate(const MeanEstimate& log_estimate, std::optional<double> spread,
                             double noise_threshold);

// Two reports made at different times, each a series of per-run log values in
// run order with its drift estimate. The ratio is a / b; its variance adds to
// the runs' scatter what the machine's drift could move the two means apart by.
struct RunSeries {
  std::vector<double> values;  // in run order
  DriftEstimate drift;
  double least_variance = 0;
};
struct AcrossTimeDecision {
  Decision decision;
  bool drift_measured = false;  // false: too few runs; a run's whole scatter is taken as possible drift
  double drift_variance = 0;    // the drift's share of the log ratio's variance
};
AcrossTimeDecision decide_across_time(const RunSeries& a, const RunSeries& b, double noise_threshold,
                                      std::size_t runs_between = 0);

// Holm over one family of decisions (the four procedures of an A/B comparison,
// the three ratios to the reference of one series): sets p_adjusted and decides
// each verdict again. Decisions without a p-value stay out of the family.
void adjust_family(std::vector<Decision>& family, double noise_threshold);

}  // namespace callbench::stats
