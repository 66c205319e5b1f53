#include "core/analysis.hpp"

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

const char* ratio_verdict_word(Verdict verdict) {
  switch (verdict) {
    case Verdict::Slower:
      return "higher";
    case Verdict::Faster:
      return "lower";
    case Verdict::Equivalent:
    case Verdict::Inconclusive:
      break;
  }
  return verdict_word(verdict);
}

}  // namespace callbench
