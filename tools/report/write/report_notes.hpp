#pragma once

#include <string>
#include <vector>

#include "core/report.hpp"

namespace callbench {

// Warnings and advice below the table: noise, disturbed and suspect figures, an
// unstable clock, series that differ in processor, unit or benchmark, and what
// a comparison across time can show.
std::vector<std::string> report_notes(const Report& report);

// Warnings when two series cannot be compared like for like: other processor
// (by brand, else by identity) or benchmark.
std::vector<std::string> mismatch_warnings(const Series& a, const Series& b);

}  // namespace callbench
