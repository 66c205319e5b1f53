#pragma once

#include "core/report.hpp"

namespace callbench {

// Analyses every series of the report and, when there are two, compares them
// as the report's kind says: interleaved runs pair by pair, a baseline or two
// report files across time; pools them by machine when asked (compare --pool).
void analyse_report(Report& report);

}  // namespace callbench
