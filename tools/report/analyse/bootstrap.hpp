#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "analyse/analysis.hpp"

namespace callbench {

struct WideProduct {
  std::uint64_t high = 0, low = 0;
};
// The full 128-bit product.
WideProduct multiply_wide(std::uint64_t a, std::uint64_t b);
// The same from 32-bit halves, for compilers without a 128-bit integer (32-bit targets).
WideProduct multiply_wide_portable(std::uint64_t a, std::uint64_t b);

// An index below bound (> 0) from a 64-bit generator's raw output, the same with every
// standard library (std::uniform_int_distribution is not): Lemire's multiply-and-reject,
// which is unbiased and needs a division only when a draw lands in the rejected zone.
template <class Generator>
std::uint64_t uniform_index(Generator& generator, std::uint64_t bound) {
  WideProduct product = multiply_wide(generator(), bound);
  if (product.low < bound) {
    const std::uint64_t rejected = (0 - bound) % bound;  // 2^64 mod bound
    while (product.low < rejected) product = multiply_wide(generator(), bound);
  }
  return product.high;
}

// Draws whole runs with replacement: the sweeps of one run are not independent.
class RunResampler {
 public:
  explicit RunResampler(std::uint64_t seed) : generator_(seed) {}
  // weights[i] becomes how many of the `runs` draws picked run i.
  void draw(std::size_t runs, std::vector<std::uint32_t>& weights);

 private:
  std::mt19937_64 generator_;
};

// One statistic's values, each with the run it came from, sorted once so that the median
// of any resample of runs is found without copying or selecting: counting how many values
// of each run lie below the middle gives the resample's rank there, and the resample's
// median lies a short walk from it.
class RunTaggedSample {
 public:
  explicit RunTaggedSample(std::size_t runs) : per_run_(runs, 0) {}
  void add(std::size_t run, double value);
  void finish();  // after the last add, before median()

  const std::vector<double>& values() const { return values_; }  // sorted after finish()
  std::size_t size() const { return values_.size(); }
  std::size_t runs_with_values() const;
  // The median with run i counted weights[i] times; none if the drawn runs hold no value.
  std::optional<double> median(const std::vector<std::uint32_t>& weights) const;

 private:
  std::vector<double> values_;
  std::vector<std::uint32_t> runs_;  // the run of each value
  std::vector<std::uint32_t> per_run_;
  std::size_t middle_ = 0;
  std::vector<std::uint32_t> below_middle_per_run_;
};

// The percentile interval of the resampled estimates at this confidence; without any,
// an interval that is not resampled (low = high = estimate).
Interval percentile_interval(double estimate, const std::vector<double>& resampled, double confidence);

// Throws std::invalid_argument for settings no analysis can use.
void check_settings(const AnalysisSettings& settings);

}  // namespace callbench
