#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace callbench {

struct ProcessLimits {
  double timeout_seconds = 60;
  // A valid run prints under 600 bytes; past this much it is stopped.
  std::size_t max_output = 64 * 1024;
  // Only the end of standard error is kept.
  std::size_t error_tail = 4 * 1024;
};

struct ProcessResult {
  enum class Outcome { Exited, Signalled, TimedOut, OutputTooLarge, Interrupted, NotStarted };
  Outcome outcome = Outcome::NotStarted;
  int code = 0;          // exit status, signal number, or system error when not started
  std::string out;       // standard output, at most max_output bytes
  std::string err;       // the last error_tail bytes of standard error
  std::size_t err_dropped = 0;  // bytes of standard error before those
  double wall_seconds = 0;
  // The system's words for why it did not start, e.g. "No such file or directory":
  // code alone cannot say, as POSIX and Windows number their errors differently.
  std::string start_error;
};

// Runs argv[0] (searched in PATH) with standard input empty, in a process group
// of its own. On time-out, too much output or interruption of this program, the
// whole group is killed. Never throws for anything the run does.
ProcessResult run_process(const std::vector<std::string>& argv, const ProcessLimits& limits);

}  // namespace callbench
