#pragma once

#include "core/analysis.hpp"
#include "stats/mean_estimate.hpp"

namespace callbench {

// An estimate of a log back on the ratio scale, with its t interval where it has one.
Interval ratio_scale(const stats::MeanEstimate& log_estimate);

}  // namespace callbench
