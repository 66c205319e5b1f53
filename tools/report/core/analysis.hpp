#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/procedures.hpp"

namespace callbench {

// A fixed default seed, so that the same runs always give the same report.
inline constexpr std::uint64_t kDefaultSeed = 20261209;
// Past this relative spread (median absolute deviation / median) a note says the
// machine was noisy and the minimum is the figure to quote.
inline constexpr double kNoisySpread = 0.05;
// A difference counts as significant below this p-value of the rank test.
inline constexpr double kSignificance = 0.05;
// Fewer bootstrap resamples make the ends of a 95 % interval wander from one seed to the next.
inline constexpr int kMinResamples = 10000;

struct AnalysisSettings {
  std::uint64_t seed = kDefaultSeed;
  int resamples = kMinResamples;  // bootstrap resamples, at least kMinResamples
  double confidence = 0.95;       // of every interval
  double noise_threshold = 0.01;  // relative changes within it are not claimed
};

// An estimate with its bootstrap confidence interval. With fewer than two runs to
// resample there is no interval: low and high equal the estimate, resampled is
// false, and no verdict is drawn from it.
struct Interval {
  double estimate = 0;
  double low = 0, high = 0;
  bool resampled = true;
  // The larger distance from the estimate to an end, relative to the estimate
  // (infinite for an estimate of 0 with an interval around it).
  double relative_half_width() const;
};

// One procedure's own figures in one series. Figures of 0 or less are disturbed
// measurements (the reference loop ran long): counted, left out of the rest.
struct ProcedureFigures {
  std::size_t valid = 0;      // figures > 0
  std::size_t disturbed = 0;  // figures <= 0
  std::optional<std::int32_t> min, max;
  std::optional<Interval> median;  // runs resampled
  std::optional<double> spread;    // median absolute deviation / median
  bool noisy = false;              // spread > kNoisySpread
  // Estimated core cycles per call: the minimum converted with the clock calibration.
  std::optional<double> core_cycles_per_call;
};

// A procedure against TheOne, sweep by sweep: the four measurements of a sweep
// run back to back, so slow drifts of the machine cancel in their ratio.
enum class PairedVerdict { Slower, Faster, Indistinguishable, Unknown };

struct PairedComparison {
  std::size_t sweeps = 0;  // sweeps where both figures are valid
  std::size_t higher = 0;  // of those, sweeps where the procedure's figure was the higher
  std::optional<Interval> ratio;       // median of per-sweep ratios, runs resampled
  std::optional<Interval> difference;  // median of per-sweep differences, millicycles
  PairedVerdict verdict = PairedVerdict::Unknown;
};

struct SeriesAnalysis {
  std::array<ProcedureFigures, kProcedures> procedures{};
  std::array<PairedComparison, kProcedures> paired{};  // the reference's own entry stays empty
  std::optional<double> median_wall_seconds;
};

// Mann-Whitney U test, two-sided, normal approximation with tie correction.
struct RankTest {
  double u = 0;  // U of the first sample
  double z = 0;
  double p_value = 1;
};

// A against B (Criterion-style: a change is claimed only when it is significant
// and its whole interval lies beyond the noise threshold).
enum class ChangeVerdict { Faster, Slower, NoChange, Unknown };

struct ProcedureChange {
  std::optional<Interval> ratio;  // median of A / median of B
  std::optional<RankTest> test;
  ChangeVerdict verdict = ChangeVerdict::Unknown;
};

struct Comparison {
  // Resampled as pairs of neighbouring runs (interleaved A B A B ...), or each
  // side on its own (a baseline from another time, or report files).
  bool paired_runs = false;
  std::size_t pairs = 0;  // with paired_runs: pairs in which both runs were valid
  std::array<ProcedureChange, kProcedures> procedures{};
};

// The figures of one run, as the analysis needs them.
using RunFigures = Figures;

// clocks_per_tick, when known, converts minima into estimated core cycles.
// Throws std::invalid_argument for settings out of range (as does compare_series).
SeriesAnalysis analyse_series(const std::vector<RunFigures>& runs,
                              const std::vector<double>& wall_seconds,
                              const AnalysisSettings& settings,
                              std::optional<double> clocks_per_tick);

// With paired_runs, a[i] and b[i] were made one after the other and are resampled together
// (both must then have the same length, or std::invalid_argument is thrown).
Comparison compare_series(const std::vector<RunFigures>& a, const std::vector<RunFigures>& b,
                          bool paired_runs, const AnalysisSettings& settings);

// The widest relative half-width of the paired ratios' intervals; none while any is unknown.
std::optional<double> widest_paired_interval(const SeriesAnalysis& analysis);

const char* verdict_word(PairedVerdict verdict);  // "slower", "faster", "indistinguishable", "n/a"
const char* verdict_word(ChangeVerdict verdict);  // "faster", "slower", "no change", "n/a"

}  // namespace callbench
