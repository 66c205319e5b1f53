#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis.hpp"
#include "core/conditions.hpp"
#include "core/procedures.hpp"
#include "core/settings.hpp"

namespace callbench {

// What every figure is.
inline constexpr const char* kUnit = "millicycles per call";

// The series a report runs are named after their commands' order (A --vs B).
inline constexpr std::array<const char*, 2> kRunSeriesNames = {"A", "B"};

// One valid run of the benchmark.
struct Run {
  int number = 0;  // counted from 1 among the counted runs of its series; run k of A pairs with run k of B
  // Its place among every run the report started, warm-up included (from 1):
  // the order in time, which also tells which run of a pair came first.
  std::optional<int> sequence;
  std::optional<double> wall_seconds;  // none for outputs captured elsewhere
  Figures figures{};
};

struct FailedRun {
  int number = 0;  // 0 for a warm-up run
  std::string reason;
};

// The benchmark file a command names, so two reports can tell whether they ran the same one.
struct BenchmarkFile {
  std::string path;
  std::optional<std::string> sha256;  // lower-case hex; none if it could not be read
};

// The runs of one benchmark command, one set of captured outputs, or a series
// read from a report file (a baseline, or a file given to `compare`).
struct Series {
  std::string name;                   // "A", "B", "new", "baseline", or a file's "[1]"
  std::string label;                  // the --label of the report it was made in, if any
  std::optional<std::string> file;    // the report file it was read from
  std::string name_in_file;           // its name there ("B"), where that file held several series
  std::vector<std::string> command;   // empty for captured outputs
  std::vector<std::string> captures;  // the files the outputs were read from (--from)
  std::optional<BenchmarkFile> benchmark;
  std::optional<std::string> wine_version;  // when the command runs under Wine
  Conditions conditions;
  int runs_requested = 0;  // counted runs asked for; with a precision target, those made
  int warmup_runs = 0;     // made and checked before the counted ones, not counted
  std::vector<Run> runs;
  std::vector<FailedRun> failures;
  std::optional<Sizes> sizes;              // from the first valid run
  std::optional<SeriesAnalysis> analysis;  // filled in by the analysis
};

// How far the runs so far are from a precision target.
struct PrecisionStatus {
  double widest = 0;               // the widest relative half-width of an interval
  std::optional<int> runs_needed;  // at the spread seen, for every interval to meet the target
};

// Whether --precision was met, and after how many runs.
struct PrecisionOutcome {
  double target = 0;
  bool reached = false;
  int runs = 0;
  double widest = 0;  // the widest relative half-width of an interval at the end
  // At the spread seen, the runs the target would need; none while it cannot be told.
  std::optional<int> runs_needed;
};

// The signal that stopped the runs early.
struct Interruption {
  int signal = 0;
  std::string name;  // "SIGINT" and so on
};

struct Report {
  // What the series are to each other, and so how they are compared.
  enum class Kind {
    Single,       // one series
    Interleaved,  // A and B run alternately, compared pair by pair
    Baseline,     // new runs against a series read from an earlier report
    Files,        // series read from report files (`compare`)
  };
  Kind kind = Kind::Single;
  std::string label;  // --label, to name this report in comparisons
  std::string unit = kUnit;
  std::string date_utc;  // when the report was made
  std::string tool_version;
  std::optional<RunSettings> run_settings;  // none when nothing was run
  AnalysisSettings analysis_settings;
  std::vector<Series> series;
  std::optional<Interruption> interrupted;
  std::optional<PrecisionOutcome> precision;
  std::optional<Comparison> comparison;  // filled in by the analysis when there are two series
  bool pool = false;                     // compare --pool: the series pooled by machine
  std::vector<PooledMachine> pooled;     // filled in by the analysis when pooling
};

}  // namespace callbench
