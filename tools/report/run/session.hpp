#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "read/output_parser.hpp"
#include "core/report.hpp"
#include "run/process.hpp"

namespace callbench {

// Sizes seen in an earlier valid run, which every later run must repeat.
struct SizeReference {
  Sizes sizes{};
  int run = 0;
};

// The run's output, or why the run does not count.
std::variant<RunOutput, std::string> check_run(const SpawnResult& result,
                                               const std::string& program,
                                               double timeout_seconds,
                                               const std::optional<SizeReference>& sizes);

struct Session {
  std::vector<ValidRun> runs;
  std::vector<FailedRun> failures;
  Sizes sizes{};
};

// Runs the command one run after another. Each failed run is told on log as it
// happens, with the command's standard error; progress goes to log too when asked.
Session run_session(const std::vector<std::string>& command, int runs, double timeout_seconds,
                    std::ostream& log, bool show_progress);

}  // namespace callbench
