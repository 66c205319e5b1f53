#pragma once

#include <optional>
#include <vector>

#include "core/report.hpp"

namespace callbench {

// How far runs made so far are from a precision target: the widest relative
// half-width of every ratio to TheOne (and, for two series run alternately,
// of every change A/B, of levels and of ratios), and the most runs any of them needs at the spread
// seen to come within the target. None while any interval cannot be told yet.
std::optional<PrecisionStatus> precision_status(const std::vector<std::vector<Run>>& runs_per_series,
                                                double target, const AnalysisSettings& settings);

}  // namespace callbench
