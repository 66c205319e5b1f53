#pragma once

#include <string>
#include <vector>

namespace callbench {

struct SpawnResult {
  enum class Outcome { Exited, Signalled, TimedOut, NotStarted };
  Outcome outcome = Outcome::NotStarted;
  int code = 0;          // exit status, signal number, or errno when not started
  std::string out;       // standard output
  std::string err;       // standard error
  double wall_seconds = 0;
};

// Runs argv[0] (searched in PATH) with stdin from /dev/null, killing it past the timeout.
SpawnResult run_command(const std::vector<std::string>& argv, double timeout_seconds);

// Empty when the command ran and exited with status 0, else why not.
std::string failure_reason(const SpawnResult& result, const std::string& program,
                           double timeout_seconds);

}  // namespace callbench
