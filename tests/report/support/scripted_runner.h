// Plays the system for the session: every run's result is the next one given
// (a valid run of a second once they are used up), its wall time moves a clock
// of the runner's own, and the program counts as interrupted from a chosen run on.
#pragma once

#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "benchmark_output.h"
#include "system/process.hpp"

namespace callbench {

// A run that exited with status code after seconds, having printed out.
inline ProcessResult exited(int code, const std::string& out, double seconds = 1, const std::string& err = "") {
  ProcessResult result;
  result.outcome = ProcessResult::Outcome::Exited;
  result.code = code;
  result.out = out;
  result.err = err;
  result.wall_seconds = seconds;
  return result;
}

inline ProcessResult ended(ProcessResult::Outcome outcome, int code = 0) {
  ProcessResult result;
  result.outcome = outcome;
  result.code = code;
  return result;
}

class ScriptedRunner : public ProcessRunner {
 public:
  std::deque<ProcessResult> results;              // of the next runs, in order
  std::vector<std::vector<std::string>> started;  // every command run, in order
  int signal = 0;                                 // the interruption, once interrupt_from runs have started
  std::size_t interrupt_from = 0;

  ProcessResult run(const std::vector<std::string>& argv, const ProcessLimits&) override {
    started.push_back(argv);
    ProcessResult result = exited(0, benchmark_output::kSample);
    if (!results.empty()) result = results.front(), results.pop_front();
    advance(result.wall_seconds);
    return result;
  }
  Clock::time_point now() override { return clock_; }
  int interruption() override { return started.size() >= interrupt_from ? signal : 0; }

  void advance(double seconds) {
    clock_ += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  }

 private:
  Clock::time_point clock_{};
};

}  // namespace callbench
