#include "analyse/ratio_scale.hpp"

#include <cmath>

namespace callbench {

Interval ratio_scale(const stats::MeanEstimate& log_estimate) {
  const double estimate = std::exp(log_estimate.mean);
  Interval interval{estimate, estimate, estimate, false};
  if (const auto ci = stats::t_interval(log_estimate)) {
    interval.low = std::exp(ci->low);
    interval.high = std::exp(ci->high);
    interval.bounded = true;
  }
  return interval;
}

}  // namespace callbench
