#pragma once

#include "core/report.hpp"

namespace callbench {

// Fills in rows and median_wall_seconds from the rest; runs must not be empty.
void aggregate(Report& report);

}  // namespace callbench
