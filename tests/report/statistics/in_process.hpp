#pragma once

#include <cstdint>

#include "tally.hpp"

namespace callbench::statcheck {

// Fills every cell of the tally with simulated reports, on `workers` threads;
// the counts depend on the seed only.
void tally_in_process(Tally& tally, std::uint64_t seed, unsigned workers);

}  // namespace callbench::statcheck
