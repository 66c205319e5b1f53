#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model.hpp"

namespace callbench {

// What the runs are about to be made under, read on this machine: date, host,
// system, processor, counter rate, load, priority, the core clock calibration
// (on the processor the runs use, so after any pinning).
Conditions conditions_before(const std::string& tool_version, std::optional<int> cpu);
// The load and calibration once the runs are over.
void conditions_after(Conditions& conditions);

// The benchmark file a command names: its first word with a directory part
// (e.g. build/linux-i386/callbench, or the .exe after wine), hashed.
std::optional<BenchmarkFile> benchmark_file(const std::vector<std::string>& command);

}  // namespace callbench
