#pragma once

#include <cstddef>
#include <string>

#include "core/procedures.hpp"

// The keys and words of the JSON file format that more than one place writes
// or reads, spelled once here for the writer and the reader alike.
namespace callbench::json_key {

using Key = const char*;

// The report.
inline constexpr Key kFormatVersion = "format_version", kToolVersion = "tool_version", kLabel = "label",
                     kUnit = "unit", kDateUtc = "date_utc", kSettings = "settings", kSeed = "seed",
                     kNoiseThreshold = "noise_threshold", kInterleaved = "interleaved",
                     kPrecision = "precision", kRunsNeeded = "runs_needed", kSeries = "series",
                     kProcedures = "procedures";
// A series, its runs and failed runs.
inline constexpr Key kName = "name", kCommand = "command", kCaptures = "captures", kBenchmark = "benchmark",
                     kPath = "path", kSha256 = "sha256", kWineVersion = "wine_version",
                     kConditions = "conditions", kRunsRequested = "runs_requested", kWarmupRuns = "warmup_runs",
                     kSizes = "sizes", kRuns = "runs", kFailedRuns = "failed_runs", kRun = "run",
                     kSequence = "sequence", kWallSeconds = "wall_seconds", kSweeps = "sweeps",
                     kReason = "reason";
// A series' conditions.
inline constexpr Key kMachineLabel = "machine_label", kHost = "host", kOs = "os", kProcessor = "processor",
                     kBrand = "brand", kInvariantTsc = "invariant_tsc", kTscHz = "tsc_hz",
                     kLoadBefore = "load_before", kLoadAfter = "load_after", kPriority = "priority",
                     kRaise = "raise", kDetail = "detail", kCpu = "cpu",
                     kCalibrationBefore = "calibration_before", kCalibrationAfter = "calibration_after",
                     kSamples = "samples", kAdditions = "additions", kChecks = "checks", kKey = "key",
                     kTitle = "title", kValue = "value", kStatus = "status", kAdvice = "advice";
// The processor's identity (from version 4).
inline constexpr Key kIdentity = "identity", kVendor = "vendor", kSignature = "signature", kFamily = "family",
                     kModel = "model", kStepping = "stepping", kMicrocode = "microcode",
                     kMicroarchitecture = "microarchitecture";
// An interval, and version 2's calibration.
inline constexpr Key kLow = "low", kHigh = "high", kClocksPerTick = "clocks_per_tick";

// The words of Priority::Raise, in the order of its values.
inline constexpr Key kRaiseWords[] = {"effective", "not permitted", "unknown"};

// A procedure's figures are keyed by its name.
inline std::string procedure_key(std::size_t proc) {
  return std::string(kProcedureNames[proc]);
}

}  // namespace callbench::json_key
