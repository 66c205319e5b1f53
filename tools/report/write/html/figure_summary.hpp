#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace callbench {

// What the charts need to know of a set of figures before they draw any: the
// quartiles and extremes of the valid ones (> 0), and how many were disturbed.
// Boxes are drawn from these, so they hold all figures even when only some
// are drawn as dots.
struct FigureSummary {
  std::size_t valid = 0, disturbed = 0;
  double p05 = 0, q1 = 0, median = 0, q3 = 0, p95 = 0;
  std::int32_t min = 0, max = 0;  // of the valid figures
  std::int32_t lowest_disturbed = 0;
};

FigureSummary summarise(const std::vector<std::int32_t>& figures);

// The p-quantile of sorted, non-empty values, interpolated between neighbours.
double quantile(const std::vector<std::int32_t>& sorted, double p);

// The part of a value axis that the figures fill, in millicycles.
struct ValueRange {
  double low = 0, high = 0;
};

// The middle 90 % of the figures fills at least this share of a scale.
inline constexpr double kCoreShare = 0.3;

// All valid figures, unless that would squeeze their middle 90 % into less
// than kCoreShare of the scale: then as far beyond the middle as that share
// allows, on each side as far as its figures reach, the rest drawn at the
// edge and marked. A warm-up run a tenth dearer stays on the scale; one
// figure five times the rest does not flatten them. The middle is taken as
// at least 1 % of the median wide, so steady figures keep their neighbours.
ValueRange robust_range(const FigureSummary& summary);

// The range with a margin of a twentieth (at least 1) on either side; {0.5, 1}
// for an empty range (no valid figures).
ValueRange padded(const ValueRange& range);

}  // namespace callbench
