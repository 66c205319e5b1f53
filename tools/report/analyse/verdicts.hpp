#pragma once

#include <optional>

#include "analyse/analysis.hpp"

namespace callbench {

// Only a resampled interval that lies wholly beyond the noise threshold decides.
PairedVerdict paired_verdict(const std::optional<Interval>& ratio, double noise_threshold);
// As above, and the rank test must also find the difference significant.
ChangeVerdict change_verdict(const std::optional<Interval>& ratio, const std::optional<RankTest>& test,
                             double noise_threshold);

}  // namespace callbench
