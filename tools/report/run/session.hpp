#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/model.hpp"
#include "read/output_parser.hpp"
#include "run/process.hpp"

namespace callbench {

// Sizes seen in an earlier valid run, which every later run must repeat.
struct SizeReference {
  Sizes sizes{};
  int run = 0;
};

// The output of a run, or why it does not count.
std::variant<RunOutput, std::string> check_output(const std::string& output,
                                                  const std::optional<SizeReference>& sizes);
// The same for a run as it ended: its exit first, then its output.
std::variant<RunOutput, std::string> check_run(const ProcessResult& result,
                                               const std::string& program,
                                               const ProcessLimits& limits,
                                               const std::optional<SizeReference>& sizes);

// At most this many lines of a failed run's standard error are shown, each cut
// to a readable length.
inline constexpr std::size_t kErrorLinesShown = 5;
inline constexpr std::size_t kErrorLineLength = 160;

// The end of a run's standard error, as lines ready for the log.
std::vector<std::string> error_lines(const std::string& tail, std::size_t dropped);

struct SessionPlan {
  // One command, or two run alternately (A B A B ...), so that drift of the
  // machine falls on both alike.
  std::vector<std::vector<std::string>> commands;
  int runs = 10;    // counted runs of each command; with a precision target, the least
  int warmup = 1;   // runs of each command made and checked first, not counted
  std::optional<double> precision;  // stop once every paired interval is this narrow
  int max_runs = 100;
  ProcessLimits limits;
};

// The widest relative half-width of the paired ratios' intervals over the runs
// so far; none while it cannot be told.
using PrecisionProbe = std::function<std::optional<double>(const std::vector<Run>& runs)>;

struct SessionResult {
  std::vector<Series> series;  // one per command, in order; names and conditions left to the caller
  int interrupted_by = 0;      // signal number, 0 if the session ran its course
  bool cannot_start = false;
  std::optional<PrecisionOutcome> precision;
};

// Makes the runs of the plan. Each failed run is told on log as it happens, with
// the end of its standard error; progress goes to log too when asked. Stops early
// when interrupted or when a command cannot be started.
SessionResult run_session(const SessionPlan& plan, std::ostream& log, bool show_progress,
                          const PrecisionProbe& probe);

}  // namespace callbench
