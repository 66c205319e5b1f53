#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace callbench {

// Which command of an interleaved pair runs first. A run that follows another
// may be dearer or cheaper for it (caches, clocks, the page cache of the run
// before), so each side must go first equally often, or the position effect
// becomes a change: of the first `runs` pairs half go each way (the odd one
// either way), shuffled; pairs past them (with a precision target) come in
// blocks of two, one each way in random order, so that wherever the runs stop
// the two orders differ by one pair at most. The same seed gives the same
// order on every system.
class PairOrder {
 public:
  PairOrder(std::uint64_t seed, int runs);

  // For pair 1, 2, ...: whether the second command goes first.
  bool second_first(int pair);

 private:
  std::mt19937_64 random_;
  std::vector<bool> order_;  // the pairs decided so far
  int second_first_count_ = 0;
};

// A seed no report before is likely to have had (from the system's entropy
// and the clock), within what --seed accepts.
std::uint64_t fresh_order_seed();

}  // namespace callbench
