#include "analyse/calibration.hpp"

#include <algorithm>

#include "analyse/sample_statistics.hpp"

namespace callbench {

std::optional<Calibration> summarise_calibration(const std::vector<double>& clocks_per_tick,
                                                 std::uint64_t additions) {
  if (clocks_per_tick.empty()) return std::nullopt;
  Calibration calibration;
  calibration.clocks_per_tick = median_of(clocks_per_tick);
  const auto [low, high] = std::minmax_element(clocks_per_tick.begin(), clocks_per_tick.end());
  calibration.low = *low;
  calibration.high = *high;
  calibration.samples = static_cast<int>(clocks_per_tick.size());
  calibration.additions = additions;
  return calibration;
}

std::optional<Calibration> calibrate(const AdditionChainTimer& time_chain, int samples, std::uint64_t additions) {
  std::vector<double> clocks_per_tick;
  for (int i = 0; i < samples; ++i) {
    // Each addition takes one core clock, so the chain's length is its clocks.
    const std::uint64_t ticks = time_chain(additions);
    if (ticks > 0) clocks_per_tick.push_back(static_cast<double>(additions) / static_cast<double>(ticks));
  }
  return summarise_calibration(clocks_per_tick, additions);
}

}  // namespace callbench
