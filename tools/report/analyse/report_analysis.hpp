#pragma once

#include <optional>
#include <string>

#include "core/report.hpp"

namespace callbench {

// Analyses every series of the report and, when there are two, compares them
// as the report's kind says: interleaved runs pair by pair, a baseline or two
// report files across time; pools them by machine when asked (compare --pool).
void analyse_report(Report& report);

// analyse_report for a report whose runs must be written whatever happens: if
// the analysis fails, the report is left without one and the reason returned.
std::optional<std::string> analyse_report_or_reason(Report& report);

}  // namespace callbench
