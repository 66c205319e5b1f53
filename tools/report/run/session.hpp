#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/report.hpp"
#include "read/output_parser.hpp"
#include "run/process.hpp"

namespace callbench {

// Sizes seen in an earlier valid run, which every later run must repeat.
struct SizeReference {
  Sizes sizes{};
  int run = 0;
};

// The run's output, or why the run does not count.
std::variant<RunOutput, std::string> check_run(const ProcessResult& result,
                                               const std::string& program,
                                               const ProcessLimits& limits,
                                               const std::optional<SizeReference>& sizes);

struct Session {
  std::vector<ValidRun> runs;
  std::vector<FailedRun> failures;
  Sizes sizes{};
  int interrupted_by = 0;  // signal number, 0 if the session ran its course
  bool cannot_start = false;
};

// At most this many lines of a failed run's standard error are shown, each cut
// to a readable length.
inline constexpr std::size_t kErrorLinesShown = 5;
inline constexpr std::size_t kErrorLineLength = 160;

// The end of a run's standard error, as lines ready for the log.
std::vector<std::string> error_lines(const std::string& tail, std::size_t dropped);

// Runs the command one run after another. Each failed run is told on log as it
// happens, with the end of its standard error; progress goes to log too when
// asked. Stops early when interrupted or when the command cannot be started.
Session run_session(const std::vector<std::string>& command, int runs, const ProcessLimits& limits,
                    std::ostream& log, bool show_progress);

}  // namespace callbench
