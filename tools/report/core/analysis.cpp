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

}  // namespace callbench
