#pragma once

#include <stdexcept>
#include <string>

#include "core/report.hpp"

namespace callbench {

struct BaselineError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the aggregates of a file written by --json. Throws BaselineError naming the file.
Baseline load_baseline(const std::string& path);

}  // namespace callbench
