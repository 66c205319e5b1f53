#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/report.hpp"

namespace callbench {

// Chains timed for each calibration: enough that one disturbed chain is outvoted.
inline constexpr int kCalibrationSamples = 5;
// About 20 ms a chain at 2.5 GHz: long enough that serialising the counter
// reads costs nothing measurable, short enough to do before and after the runs.
inline constexpr std::uint64_t kCalibrationAdditions = 50'000'000;

// What the runs are about to be made under, read on this machine: date, host,
// system, processor, load, priority, pinning, and the core clock calibration,
// whose chains also give the counter's rate (on the processor the runs use, so
// after any pinning).
Conditions conditions_before(const std::string& tool_version, std::optional<int> cpu);
// The load and calibration once the runs are over.
void conditions_after(Conditions& conditions);

// The benchmark file a command names: its first word with a directory part
// (e.g. build/linux-i386/callbench, or the .exe after wine), hashed.
std::optional<BenchmarkFile> benchmark_file(const std::vector<std::string>& command);

}  // namespace callbench
