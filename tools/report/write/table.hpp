#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "core/report.hpp"

namespace callbench {

// Whole numbers without a fraction, others with one decimal.
std::string format_median(double value);
// Undefined values print as "n/a".
std::string format_fixed(const std::optional<double>& value, int decimals);
std::string format_percent(const std::optional<double>& value);

void print_table(std::ostream& out, const Report& report);

}  // namespace callbench
