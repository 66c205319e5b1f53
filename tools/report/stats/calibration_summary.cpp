#include "stats/calibration_summary.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "stats/robust.hpp"

namespace callbench::stats {

std::optional<CalibrationSummary> summarise_calibration_samples(const std::vector<double>& samples) {
  std::vector<double> usable;
  for (double s : samples)
    if (std::isfinite(s) && s > 0) usable.push_back(s);
  if (usable.empty()) return std::nullopt;
  std::sort(usable.begin(), usable.end(), std::greater<>());
  const std::vector<double> top(usable.begin(), usable.begin() + (usable.size() + 1) / 2);
  return CalibrationSummary{*median(top), usable.back(), usable.front(), usable.size()};
}

}  // namespace callbench::stats
