#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/procedures.hpp"

namespace callbench {

// What a comparison allows to say: the whole interval beyond the noise
// threshold and significant (slower, faster), the whole interval within it
// (equivalent), or neither (inconclusive).
enum class Verdict { Slower, Faster, Equivalent, Inconclusive };

// "slower", "faster", "equivalent", "inconclusive": the same words in every output.
const char* verdict_word(Verdict verdict);

// An estimate with its confidence interval; with fewer than two runs there is
// none (bounded is false, low and high equal the estimate).
struct Interval {
  double estimate = 0;
  double low = 0, high = 0;
  bool bounded = false;
  // The larger distance from the estimate to an end, relative to the estimate
  // (infinite for an estimate of 0 with an interval around it).
  double relative_half_width() const;
};

// A ratio (a procedure to TheOne, or A to B) with the test behind it and what
// it allows to say.
struct Decision {
  Interval ratio;
  std::optional<double> p_value;     // two-sided, against a ratio of 1
  std::optional<double> p_adjusted;  // Holm-adjusted over the family it belongs to
  double degrees_of_freedom = 0;
  Verdict verdict = Verdict::Inconclusive;
  // What the data resolve (told with an inconclusive verdict): the relative
  // half-width of the interval, and the runs or pairs that would bring it
  // within the noise threshold at the spread seen.
  std::optional<double> resolvable;
  std::optional<int> runs_needed;
};

// One procedure's own figures in one series. Figures of 0 or less are disturbed
// measurements (the reference loop ran long): counted, left out of the rest.
struct ProcedureFigures {
  std::size_t valid = 0;         // figures > 0
  std::size_t disturbed = 0;     // figures <= 0
  std::size_t low_outliers = 0;  // valid figures far below the median: suspected disturbances
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
};

}  // namespace callbench
