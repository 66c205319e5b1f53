#pragma once

#include <string>
#include <vector>

#include "system/process.hpp"

namespace callbench {

// Empty when the run exited with status 0, else why it does not count.
std::string failure_reason(const ProcessResult& result, const std::string& program,
                           const ProcessLimits& limits);

// At most this many lines of a failed run's standard error are shown, each cut
// to a readable length.
inline constexpr std::size_t kErrorLinesShown = 5;
inline constexpr std::size_t kErrorLineLength = 160;

// The end of a run's standard error, as lines ready for the log.
std::vector<std::string> error_lines(const std::string& tail, std::size_t dropped);

}  // namespace callbench
