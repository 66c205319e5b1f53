#pragma once

#include <cstdint>
#include <optional>

#include "core/limits.hpp"

namespace callbench {

// How the runs are made. The defaults here are the command line's defaults.
struct RunSettings {
  int runs = 10;                    // counted runs of each command; with a precision target, the least
  int warmup = 1;                   // runs of each command made and checked first, not counted
  std::optional<double> precision;  // keep running until every interval is this narrow (relative)
  int max_runs = 100;               // with a precision target, the most
  double timeout_seconds = 60;
};

// The largest seed the command line takes and a report file may hold.
inline constexpr std::int64_t kMaxSeed = 9'000'000'000'000'000'000;

// How the runs are analysed: the same for a report and for `compare`.
struct AnalysisSettings {
  // The order of interleaved pairs is drawn from it: --seed, else a fresh one
  // for each report, recorded so that the order can be made again; none when
  // nothing was run.
  std::optional<std::uint64_t> seed;
  double noise_threshold = 0.01;  // relative changes within it are not claimed
};

// Past this relative spread (median absolute deviation / median) a note says the machine was noisy.
inline constexpr double kNoisySpread = 0.05;
// A figure this many scaled median absolute deviations below (or above) its
// procedure's median is counted as a suspected disturbance.
inline constexpr double kOutlierDeviations = 5;
// Before and after calibrations further apart than this make the core-cycle estimate unreliable.
inline constexpr double kCalibrationAgreement = 0.03;

}  // namespace callbench
