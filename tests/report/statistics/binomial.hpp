#pragma once

#include <cstddef>

namespace callbench::statcheck {

// A rate with its exact (Clopper-Pearson) confidence interval.
struct Rate {
  double rate = 0, low = 0, high = 1;
};

Rate binomial_rate(std::size_t hits, std::size_t trials, double confidence = 0.95);

}  // namespace callbench::statcheck
