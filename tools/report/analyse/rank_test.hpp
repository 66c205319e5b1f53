#pragma once

#include <optional>
#include <vector>

#include "analyse/analysis.hpp"

namespace callbench {

// Mann-Whitney U of a against b, two-sided, by the normal approximation with the
// variance corrected for ties and a continuity correction of 0.5 (scipy's
// mannwhitneyu(..., use_continuity=True, method="asymptotic")). None if either is empty.
std::optional<RankTest> mann_whitney(const std::vector<double>& a, const std::vector<double>& b);

}  // namespace callbench
