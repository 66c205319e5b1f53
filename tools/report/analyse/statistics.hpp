#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace callbench {

struct Summary {
  std::size_t count = 0;
  std::int32_t min = 0;
  double median = 0;
  std::int32_t max = 0;
  // (max - min) / min; undefined unless min > 0.
  std::optional<double> spread;
};

// Middle value, or the mean of the two middle values; values must not be empty.
double median(std::vector<double> values);

// values must not be empty.
Summary summarise(const std::vector<std::int32_t>& values);

// part / whole, undefined unless whole > 0 (a figure of 0 or less is a measuring fault).
std::optional<double> ratio(double part, double whole);

// Change from before to now in percent, undefined unless before > 0.
std::optional<double> percent_change(double now, double before);

}  // namespace callbench
