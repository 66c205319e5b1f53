#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/conditions.hpp"

namespace callbench {

inline constexpr int kCalibrationSamples = 5;
// About 20 ms a sample at 2.5 GHz: long enough that serialising the counter
// reads costs nothing measurable, short enough to do before and after the runs.
inline constexpr std::uint64_t kCalibrationAdditions = 50'000'000;

// Counter ticks that a chain of this many dependent single-cycle additions takes
// (system/processor.hpp's time_addition_chain, or a stand-in).
using AdditionChainTimer = std::function<std::uint64_t(std::uint64_t additions)>;

// Core clocks per tick from samples of it; none without a sample.
std::optional<Calibration> summarise_calibration(const std::vector<double>& clocks_per_tick,
                                                 std::uint64_t additions);

// Times the chain `samples` times; a sample of 0 ticks is left out, as it cannot be divided by.
std::optional<Calibration> calibrate(const AdditionChainTimer& time_chain, int samples = kCalibrationSamples,
                                     std::uint64_t additions = kCalibrationAdditions);

}  // namespace callbench
