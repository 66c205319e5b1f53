#include "run/pair_order.hpp"

#include <chrono>

namespace callbench {
namespace {

// Uniform in [0, bound) to within bound / 2^64, the same with every standard
// library (std::uniform_int_distribution is not).
std::uint64_t below(std::mt19937_64& random, std::uint64_t bound) {
  return random() % bound;
}

}  // namespace

PairOrder::PairOrder(std::uint64_t seed, int runs) : random_(seed) {
  if (runs < 1) runs = 1;
  const auto count = static_cast<std::size_t>(runs);
  // The odd pair goes either way.
  const std::size_t second_first = count / 2 + (count % 2 != 0 && (random_() & 1) != 0 ? 1 : 0);
  order_.assign(count, false);
  for (std::size_t i = 0; i < second_first; ++i) order_[i] = true;
  for (std::size_t i = count - 1; i > 0; --i) {
    const auto j = static_cast<std::size_t>(below(random_, i + 1));
    const bool kept = order_[i];
    order_[i] = order_[j];
    order_[j] = kept;
  }
  for (const bool b : order_) second_first_count_ += b ? 1 : 0;
}

bool PairOrder::second_first(int pair) {
  const auto index = static_cast<std::size_t>(pair < 1 ? 1 : pair) - 1;
  while (order_.size() <= index) {
    const int first_first = static_cast<int>(order_.size()) - second_first_count_;
    // Behind on one side: that side first; level: either, at random.
    const bool next =
        second_first_count_ != first_first ? second_first_count_ < first_first : (random_() & 1) != 0;
    order_.push_back(next);
    second_first_count_ += next ? 1 : 0;
  }
  return order_[index];
}

std::uint64_t fresh_order_seed() {
  std::random_device device;
  const std::uint64_t entropy = (static_cast<std::uint64_t>(device()) << 32) ^ device();
  const auto now =
      static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  std::mt19937_64 mixed(entropy ^ (now * 0x9e3779b97f4a7c15ULL));
  // Below 2^53, so that a reader of the JSON that takes numbers as doubles
  // (JavaScript, jq 1.6) still gets the seed that makes this order again.
  return mixed() >> 11;
}

}  // namespace callbench
