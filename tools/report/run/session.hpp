#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/report.hpp"
#include "system/process.hpp"

namespace callbench {

// Reads one finished run's output: its figures and sizes, or why it does not
// count. Each command has its own, called with its runs in order.
using OutputCheck = std::function<std::variant<RunOutput, std::string>(const std::string& output, int run)>;

struct SessionPlan {
  // One command, or two run alternately, so that drift of the machine falls on
  // both alike; the order within the pairs is drawn from order_seed (see PairOrder).
  std::vector<std::vector<std::string>> commands;
  std::vector<OutputCheck> output_checks;  // one per command
  RunSettings settings;
  ProcessLimits limits;
  std::uint64_t order_seed = 0;
};

// How precise the valid runs of each command so far make the results; none
// while the intervals cannot be told yet. Asked after rounds of runs.
using PrecisionOfRuns =
    std::function<std::optional<PrecisionStatus>(const std::vector<std::vector<Run>>& runs)>;

struct SessionResult {
  std::vector<Series> series;  // one per command, in order; names and conditions left to the caller
  int interrupted_by = 0;      // signal number, 0 if the session ran its course
  std::optional<PrecisionOutcome> precision;
};

// Makes the runs of the plan through runner. Each failed run is told on log as
// it happens, with the end of its standard error; progress goes to log too when
// asked. Stops early when interrupted or when a command cannot be started.
SessionResult run_session(const SessionPlan& plan, ProcessRunner& runner, std::ostream& log, bool show_progress,
                          const PrecisionOfRuns& precision_of);

}  // namespace callbench
