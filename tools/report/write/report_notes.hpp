#pragma once

#include <string>
#include <vector>

#include "core/report.hpp"

namespace callbench {

// Warnings and advice below the table: noise, disturbed and suspect figures, an
// unstable clock, series that differ in processor, unit or benchmark, and what
// a comparison across time can show.
std::vector<std::string> report_notes(const Report& report);

}  // namespace callbench
