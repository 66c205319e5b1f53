#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include "stats/levels.hpp"

namespace callbench::stats {

// The smallest n in [first, last] for which `resolves(n)` holds, given that it
// holds for every n after the first one that does; none if resolves(last) fails.
std::optional<std::size_t> smallest_resolving(std::size_t first, std::size_t last,
                                              const std::function<bool(std::size_t)>& resolves);

// How many values (at least 2) a t interval of their mean needs for its
// half-width to fall to `half_width` or below, when one value has standard
// deviation `spread`; none past `limit`, and none for a half-width of 0,
// which no number of values reaches.
std::optional<std::size_t> runs_needed(double spread, double half_width, double confidence = kConfidence,
                                       std::size_t limit = 100000);

}  // namespace callbench::stats
