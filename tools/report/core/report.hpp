#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analyse/analysis.hpp"
#include "core/conditions.hpp"
#include "core/procedures.hpp"

namespace callbench {

// The version of the JSON files this tool writes; files without the field are version 1.
inline constexpr int kFormatVersion = 2;
// What every figure is.
inline constexpr const char* kUnit = "millicycles per call";

// One valid run of the benchmark.
struct Run {
  int number = 0;  // counted from 1 among the counted runs of its series, as reported
  std::optional<double> wall_seconds;  // none for outputs captured elsewhere
  Figures figures{};
};

struct FailedRun {
  int number = 0;
  std::string reason;
};

// The benchmark file a command names, so two reports can tell whether they ran the same one.
struct BenchmarkFile {
  std::string path;
  std::optional<std::string> sha256;  // lower-case hex; none if it could not be read
};

// The runs of one benchmark command, or one set of captured outputs.
struct Series {
  std::string name;                    // "A", "B", or what the user called it
  std::vector<std::string> command;    // empty for captured outputs
  std::vector<std::string> captures;   // the files the outputs were read from (--from)
  std::optional<BenchmarkFile> benchmark;
  std::optional<std::string> wine_version;  // when the command runs under Wine
  int runs_requested = 0;
  int warmup_runs = 0;  // made and checked before the counted ones, not counted
  std::vector<Run> runs;
  std::vector<FailedRun> failures;
  std::optional<Sizes> sizes;  // from the first valid run
};

// How the runs were made.
struct RunSettings {
  double timeout_seconds = 60;
  int warmup = 1;
  std::optional<double> precision;  // keep running until every paired interval is this narrow
  int max_runs = 100;
  std::optional<int> cpu;  // the runs were pinned to this processor
  bool interleaved = false;  // two series run alternately, A B A B ...
};

// Whether --precision was met, and after how many runs.
struct PrecisionOutcome {
  double target = 0;
  bool reached = false;
  int runs = 0;
  double widest = 0;  // the widest relative half-width of a paired ratio's interval at the end
};

// Where a baseline series came from: shown beside the table, since a baseline
// from another time or machine measures drift as much as change.
struct BaselineSource {
  std::string file;
  int format_version = 1;
  std::string label;
  Conditions conditions;
};

struct Report {
  int format_version = kFormatVersion;
  std::string unit = kUnit;
  std::string label;  // --label, to name this report in comparisons
  Conditions conditions;
  RunSettings run_settings;
  AnalysisSettings analysis_settings;
  std::vector<Series> series;  // one, or A and B; with a baseline, its series comes last
  std::optional<BaselineSource> baseline;
  int interrupted_by = 0;  // signal that stopped the runs early, or 0
  std::optional<PrecisionOutcome> precision;

  // Filled in by analyse_report().
  std::vector<SeriesAnalysis> analysis;  // one per series
  std::optional<Comparison> comparison;  // A against B, or against the baseline
};

// A report read back from a file written by --json.
struct LoadedReport {
  std::string file;
  int format_version = 1;
  Report report;
};

}  // namespace callbench
