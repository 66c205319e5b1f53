// A strict reader of what a correct run prints on standard output: exactly
// the text the tests' own writer makes of the figures it holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "benchmark_output.h"

namespace callbench_test {

namespace output = callbench::benchmark_output;

struct BenchmarkOutput {
  std::string mismatch;              // empty when the text is exactly a run's output
  std::vector<std::string> figures;  // the measured figures, in the order printed
};

BenchmarkOutput ReadBenchmarkOutput(std::string_view text);

// Shows control characters, for messages.
std::string Escaped(std::string_view text);

}  // namespace callbench_test
