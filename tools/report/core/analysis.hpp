#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/procedures.hpp"
#include "stats/decisions.hpp"

namespace callbench {

// The statistics' own vocabulary: an interval, a decision and its verdict.
using stats::Decision;
using stats::Interval;
using stats::kConfidence;
using stats::Verdict;

// "slower", "faster", "equivalent", "inconclusive": the same words in every output.
const char* verdict_word(Verdict verdict);
// For a change of a ratio to TheOne between two sides: "higher", "lower",
// "equivalent", "inconclusive", so that no row of ratios reads as a change of cost.
const char* ratio_verdict_word(Verdict verdict);

// One procedure's own figures in one series. Figures of 0 or less are disturbed
// measurements (the reference loop ran long): counted, left out of the rest.
struct ProcedureFigures {
  std::size_t valid = 0;          // figures > 0
  std::size_t disturbed = 0;      // figures <= 0
  std::size_t low_outliers = 0;   // valid figures far below the median: suspected disturbances, left out
  std::size_t high_outliers = 0;  // far above it: interrupts, left out likewise
  // Runs whose two usable figures disagreed grossly (one was disturbed), left out of the median.
  std::size_t runs_left_out = 0;
  std::optional<std::int32_t> min, max;
  std::optional<Interval> median;  // the centre of the runs' medians, runs as the unit
  std::optional<double> spread;    // median absolute deviation / median of all valid figures
  bool noisy = false;              // spread > kNoisySpread
  // Estimated core cycles per call: the median converted with the clock
  // calibration; none when the calibration was unstable.
  std::optional<double> core_cycles_per_call;
};

// A procedure against TheOne, sweep by sweep: the four measurements of a sweep
// run back to back, so slow drifts of the machine cancel in their ratio.
struct PairedWithReference {
  std::size_t sweeps = 0;              // sweeps where both figures are valid
  std::size_t higher = 0;              // of those, sweeps where the procedure's figure was the higher
  std::size_t runs_left_out = 0;       // runs whose two usable sweeps disagreed grossly, left out
  Decision decision;                   // the ratio to TheOne
  std::optional<Interval> difference;  // millicycles
};

// Core clocks per counter tick as the analysis takes it from the calibrations
// before and after the runs.
struct ClockEstimate {
  double clocks_per_tick = 0;
  bool stable = true;  // before and after agree within kCalibrationAgreement
  std::optional<double> before, after;
};

struct SeriesAnalysis {
  std::array<ProcedureFigures, kProcedures> procedures{};
  std::array<PairedWithReference, kProcedures> paired{};  // the reference's own entry stays empty
  // Per procedure, the variance per run of a slow random drift of the run's
  // log figure, estimated from the runs in the order made; none with too few runs.
  std::array<std::optional<double>, kProcedures> drift{};
  std::optional<ClockEstimate> clock;
  std::optional<double> median_wall_seconds;
};

// Interleaved pairs: how much dearer a pair's second run was than its first,
// a carry-over from the run before (caches, clocks, the page cache). With
// each side first in half the pairs it falls on both alike; it is estimated
// over the four procedures (each pair's mean log difference) and for each.
struct PositionEffect {
  std::size_t a_first = 0, b_first = 0;     // pairs in each order
  Interval overall;                         // a second run against a first, ratio scale
  std::optional<double> p_value;            // against no effect
  Verdict verdict = Verdict::Inconclusive;  // as a change would be decided: beyond the noise threshold or not
  std::array<std::optional<Interval>, kProcedures> procedures{};
};

// One machine's figures from several reports made at different times (compare
// --pool). A report's intervals are about the machine while its runs were made;
// the machine drifts between reports, so here each report's estimate is one
// draw of where the machine then was, pooled with a random effect across
// reports: the intervals are about its long-run figures.
struct PooledMachine {
  std::string label;                // the reports' --label, else their host and processor
  std::vector<std::size_t> series;  // indices of its reports' series
  std::size_t runs = 0;             // valid runs over all of them
  std::array<std::optional<Interval>, kProcedures> medians{};
  std::array<Decision, kProcedures> ratios{};  // to TheOne, Holm over the three; TheOne's own entry stays empty
  // Per procedure, how far its ratio to TheOne moved from report to report
  // (relative standard deviation, tau); none from a single report.
  std::array<std::optional<double>, kProcedures> between_reports{};
};

// Two series compared procedure by procedure.
struct Comparison {
  std::size_t a = 0, b = 1;  // indices of the series; the ratio is a / b
  // Paired: runs made alternately, compared pair by pair. Across time: made at
  // different times (a baseline, report files), so the machine's drift between
  // them counts against any change.
  enum class Method { Paired, AcrossTime };
  Method method = Method::Paired;
  std::size_t pairs = 0;  // paired: pairs in which both runs were valid
  std::array<Decision, kProcedures> procedures{};
  // Paired, with pairs in both orders and their order known.
  std::optional<PositionEffect> position;
  // Paired only: each procedure's ratio to TheOne on side a against side b,
  // pair by pair (Holm over the three; TheOne's own entry stays empty). The
  // level a run shares with all four procedures cancels, so it sees a change
  // that machine noise hides from the levels above, but it asks another
  // question: whether a procedure changed against TheOne, which assumes that
  // TheOne itself is the same on both sides.
  std::optional<std::array<Decision, kProcedures>> ratios;
};

}  // namespace callbench
