#include "core/analysis.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace callbench {

const char* verdict_word(Verdict verdict) {
  switch (verdict) {
    case Verdict::Slower:
      return "slower";
    case Verdict::Faster:
      return "faster";
    case Verdict::Equivalent:
      return "equivalent";
    case Verdict::Inconclusive:
      break;
  }
  return "inconclusive";
}

double Interval::relative_half_width() const {
  if (!bounded) return std::numeric_limits<double>::infinity();
  const double half_width = std::max(std::fabs(estimate - low), std::fabs(high - estimate));
  if (half_width == 0) return 0;
  if (estimate == 0) return std::numeric_limits<double>::infinity();
  return half_width / std::fabs(estimate);
}

}  // namespace callbench
