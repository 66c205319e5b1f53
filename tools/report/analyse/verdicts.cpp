#include "analyse/verdicts.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace callbench {

double Interval::relative_half_width() const {
  const double half_width = std::max(std::fabs(estimate - low), std::fabs(high - estimate));
  if (half_width == 0) return 0;
  if (estimate == 0) return std::numeric_limits<double>::infinity();
  return half_width / std::fabs(estimate);
}

PairedVerdict paired_verdict(const std::optional<Interval>& ratio, double noise_threshold) {
  if (!ratio || !ratio->resampled) return PairedVerdict::Unknown;
  if (ratio->low > 1 + noise_threshold) return PairedVerdict::Slower;
  if (ratio->high < 1 - noise_threshold) return PairedVerdict::Faster;
  return PairedVerdict::Indistinguishable;
}

ChangeVerdict change_verdict(const std::optional<Interval>& ratio, const std::optional<RankTest>& test,
                             double noise_threshold) {
  if (!ratio || !ratio->resampled || !test) return ChangeVerdict::Unknown;
  if (test->p_value < kSignificance) {
    if (ratio->high < 1 - noise_threshold) return ChangeVerdict::Faster;
    if (ratio->low > 1 + noise_threshold) return ChangeVerdict::Slower;
  }
  return ChangeVerdict::NoChange;
}

const char* verdict_word(PairedVerdict verdict) {
  switch (verdict) {
    case PairedVerdict::Slower: return "slower";
    case PairedVerdict::Faster: return "faster";
    case PairedVerdict::Indistinguishable: return "indistinguishable";
    case PairedVerdict::Unknown: break;
  }
  return "n/a";
}

const char* verdict_word(ChangeVerdict verdict) {
  switch (verdict) {
    case ChangeVerdict::Faster: return "faster";
    case ChangeVerdict::Slower: return "slower";
    case ChangeVerdict::NoChange: return "no change";
    case ChangeVerdict::Unknown: break;
  }
  return "n/a";
}

}  // namespace callbench
