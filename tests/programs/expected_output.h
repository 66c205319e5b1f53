// What a correct run prints on standard output, and a strict reader for it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace callbench_test {

constexpr int kSweepCount = 3;
// The procedures under test, in the order they are measured and laid out.
const std::array<std::string, 4> kProcedures = {"TestNoFrameA", "TestNoFrameB", "TheOne", "TestWithFrame"};

// The text after the figure of procedure i; the sweep's last line ends in a blank line.
std::string MeasurementLabel(size_t procedure);

struct SizeLine {
  std::string heading;
  std::string size;
};
const std::array<SizeLine, 4>& SizeLines();  // in kProcedures order; each prints heading, "\t", size, "\r\n"

struct BenchmarkOutput {
  std::string mismatch;              // empty when the text is exactly a run's output
  std::vector<std::string> figures;  // the measured figures, in the order printed
};

BenchmarkOutput ReadBenchmarkOutput(std::string_view text);

// Shows control characters, for messages.
std::string Escaped(std::string_view text);

}  // namespace callbench_test
