#pragma once

#include <vector>

#include "core/report.hpp"

namespace callbench {

// The series of reports made at different times, grouped by machine (their
// --label, else their host and processor) in the order first seen, each group
// pooled with a random effect across its reports; a group of one report keeps
// that report's own figures. The series must have been analysed.
std::vector<PooledMachine> pool_by_machine(const std::vector<Series>& series, const AnalysisSettings& settings);

// The machine a series is pooled under.
std::string machine_of(const Series& series);

}  // namespace callbench
