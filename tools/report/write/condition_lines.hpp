#pragma once

#include <string>
#include <vector>

#include "core/report.hpp"

namespace callbench {

// The lines that describe what a series was measured under: where and when,
// processor, load, priority, pinning, core clock calibration.
std::vector<std::string> condition_lines(const Conditions& conditions);

// The report's footer: the conditions of the series it measured (shared by
// series made together), each series' benchmark and wall time, the settings and
// the precision target.
std::vector<std::string> footer_lines(const Report& report);

}  // namespace callbench
