#include "analyse/bootstrap.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "analyse/sample_statistics.hpp"

namespace callbench {

WideProduct multiply_wide_portable(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a_low = a & 0xffffffffu, a_high = a >> 32;
  const std::uint64_t b_low = b & 0xffffffffu, b_high = b >> 32;
  const std::uint64_t low_low = a_low * b_low, high_low = a_high * b_low;
  const std::uint64_t low_high = a_low * b_high, high_high = a_high * b_high;
  const std::uint64_t middle = (low_low >> 32) + (high_low & 0xffffffffu) + low_high;
  return {high_high + (high_low >> 32) + (middle >> 32), (middle << 32) | (low_low & 0xffffffffu)};
}

WideProduct multiply_wide(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
  return multiply_wide_portable(a, b);
#endif
}

void RunResampler::draw(std::size_t runs, std::vector<std::uint32_t>& weights) {
  weights.assign(runs, 0);
  for (std::size_t i = 0; i < runs; ++i) ++weights[uniform_index(generator_, runs)];
}

void RunTaggedSample::add(std::size_t run, double value) {
  values_.push_back(value);
  runs_.push_back(static_cast<std::uint32_t>(run));
  ++per_run_.at(run);
}

void RunTaggedSample::finish() {
  std::vector<std::size_t> order(values_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [this](std::size_t x, std::size_t y) { return values_[x] < values_[y]; });
  std::vector<double> values(order.size());
  std::vector<std::uint32_t> runs(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    values[i] = values_[order[i]];
    runs[i] = runs_[order[i]];
  }
  values_.swap(values);
  runs_.swap(runs);
  middle_ = values_.size() / 2;
  below_middle_per_run_.assign(per_run_.size(), 0);
  for (std::size_t i = 0; i < middle_; ++i) ++below_middle_per_run_[runs_[i]];
}

std::size_t RunTaggedSample::runs_with_values() const {
  return static_cast<std::size_t>(
      std::count_if(per_run_.begin(), per_run_.end(), [](std::uint32_t n) { return n > 0; }));
}

std::optional<double> RunTaggedSample::median(const std::vector<std::uint32_t>& weights) const {
  std::uint64_t total = 0, below_middle = 0;
  for (std::size_t run = 0; run < per_run_.size(); ++run) {
    total += static_cast<std::uint64_t>(weights[run]) * per_run_[run];
    below_middle += static_cast<std::uint64_t>(weights[run]) * below_middle_per_run_[run];
  }
  if (total == 0) return std::nullopt;
  // Ranks count from 0 in the resample, each value as often as its run was drawn.
  // Find the value at lower_rank: the first i whose values up to and including it
  // number more than lower_rank.
  const std::uint64_t lower_rank = (total - 1) / 2, upper_rank = total / 2;
  std::size_t i = middle_;
  std::uint64_t through_i = below_middle + weights[runs_[i]];
  if (below_middle > lower_rank) {
    do {
      through_i -= weights[runs_[i]];
      --i;
    } while (through_i - weights[runs_[i]] > lower_rank);
  } else {
    while (through_i <= lower_rank) through_i += weights[runs_[++i]];
  }
  const double lower = values_[i];
  if (through_i > upper_rank) return lower;
  while (weights[runs_[++i]] == 0) {
  }
  return (lower + values_[i]) / 2;
}

Interval percentile_interval(double estimate, const std::vector<double>& resampled, double confidence) {
  if (resampled.empty()) return {estimate, estimate, estimate, false};
  const double tail = (1 - confidence) / 2;
  return {estimate, percentile(resampled, tail), percentile(resampled, 1 - tail), true};
}

void check_settings(const AnalysisSettings& settings) {
  if (settings.resamples < kMinResamples)
    throw std::invalid_argument("at least " + std::to_string(kMinResamples) + " resamples are needed, not " +
                                std::to_string(settings.resamples));
  if (!(settings.confidence > 0 && settings.confidence < 1))
    throw std::invalid_argument("the confidence must lie between 0 and 1");
  if (!(settings.noise_threshold >= 0 && settings.noise_threshold < 1))
    throw std::invalid_argument("the noise threshold must lie in [0, 1)");
}

}  // namespace callbench
