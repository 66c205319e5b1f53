#include "write/html/figure_summary.hpp"

#include <algorithm>
#include <cmath>

namespace callbench {

double quantile(const std::vector<std::int32_t>& sorted, double p) {
  const double position = p * static_cast<double>(sorted.size() - 1);
  const std::size_t below = static_cast<std::size_t>(std::floor(position));
  const std::size_t above = std::min(below + 1, sorted.size() - 1);
  const double weight = position - static_cast<double>(below);
  return sorted[below] + weight * (static_cast<double>(sorted[above]) - sorted[below]);
}

FigureSummary summarise(const std::vector<std::int32_t>& figures) {
  FigureSummary summary;
  std::vector<std::int32_t> valid;
  valid.reserve(figures.size());
  for (std::int32_t figure : figures) {
    if (figure > 0) {
      valid.push_back(figure);
    } else {
      summary.lowest_disturbed = summary.disturbed == 0 ? figure : std::min(summary.lowest_disturbed, figure);
      ++summary.disturbed;
    }
  }
  summary.valid = valid.size();
  if (valid.empty()) return summary;
  std::sort(valid.begin(), valid.end());
  summary.p05 = quantile(valid, 0.05);
  summary.q1 = quantile(valid, 0.25);
  summary.median = quantile(valid, 0.5);
  summary.q3 = quantile(valid, 0.75);
  summary.p95 = quantile(valid, 0.95);
  summary.min = valid.front();
  summary.max = valid.back();
  return summary;
}

ValueRange robust_range(const FigureSummary& summary) {
  if (summary.valid == 0) return {};
  const double middle = std::max(summary.p95 - summary.p05, 0.01 * summary.median);
  const double room = middle / kCoreShare - (summary.p95 - summary.p05);
  double below = summary.p05 - summary.min, above = summary.max - summary.p95;
  // Each side gets half the room, and what one side does not need goes to the other.
  const double half = room / 2;
  if (below < half) {
    above = std::min(above, room - below);
  } else if (above < half) {
    below = std::min(below, room - above);
  } else {
    below = above = half;
  }
  return {summary.p05 - below, summary.p95 + above};
}

ValueRange padded(const ValueRange& range) {
  if (range.high <= 0) return {0.5, 1};
  const double margin = std::max((range.high - range.low) / 20, 1.0);
  return {std::max(range.low - margin, 0.5), range.high + margin};
}

}  // namespace callbench
