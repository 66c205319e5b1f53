#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "system/interruption.hpp"

namespace callbench {

struct ProcessLimits {
  double timeout_seconds = 60;
  // A valid run prints under 600 bytes; past this much it is stopped.
  std::size_t max_output = 64 * 1024;
  // Only the end of standard error is kept.
  std::size_t error_tail = 4 * 1024;
  // Processes of these names that a run leaves behind are let be (on Linux,
  // where they are found by name): Wine's own services, which outlive each
  // program by design and end by themselves.
  std::vector<std::string> spared;
};

struct ProcessResult {
  enum class Outcome { Exited, Signalled, TimedOut, OutputTooLarge, Interrupted, NotStarted };
  Outcome outcome = Outcome::NotStarted;
  int code = 0;                 // exit status, signal number, or system error when not started
  std::string out;              // standard output, at most max_output bytes
  std::string err;              // the last error_tail bytes of standard error
  std::size_t err_dropped = 0;  // bytes of standard error before those
  double wall_seconds = 0;
  // The system's words for why it did not start, e.g. "No such file or directory":
  // code alone cannot say, as POSIX and Windows number their errors differently.
  std::string start_error;
  // Processes the run started that were still running when it ended, and so were killed.
  int left_running = 0;
};

// Runs argv[0] (searched in PATH) with standard input empty, in a process group
// (on Windows a job object) of its own, with every signal at its default. On
// time-out, too much output or interruption of this program, the whole group
// is killed, and once the run has ended whatever it left running in it.
// Never throws for anything the run does.
ProcessResult run_process(const std::vector<std::string>& argv, const ProcessLimits& limits);

// What the session needs of the system, behind one seam so that tests can play
// it: the runs, a clock that only goes forward, and whether this program was
// interrupted (the signal number, 0 if not).
class ProcessRunner {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~ProcessRunner() = default;
  virtual ProcessResult run(const std::vector<std::string>& argv, const ProcessLimits& limits) = 0;
  virtual Clock::time_point now() = 0;
  virtual int interruption() = 0;
};

// The system's own: run_process, the steady clock and interruption_signal().
class SystemProcessRunner final : public ProcessRunner {
 public:
  ProcessResult run(const std::vector<std::string>& argv, const ProcessLimits& limits) override {
    return run_process(argv, limits);
  }
  Clock::time_point now() override { return Clock::now(); }
  int interruption() override { return interruption_signal(); }
};

// The file run_process would start for program (searched in PATH as it
// searches), or none when there is none.
std::optional<std::string> program_file(const std::string& program);

}  // namespace callbench
