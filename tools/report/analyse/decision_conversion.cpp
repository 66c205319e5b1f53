#include "analyse/decision_conversion.hpp"

namespace callbench {
namespace {

Verdict verdict_of(stats::Verdict verdict) {
  switch (verdict) {
    case stats::Verdict::Slower:
      return Verdict::Slower;
    case stats::Verdict::Faster:
      return Verdict::Faster;
    case stats::Verdict::Equivalent:
      return Verdict::Equivalent;
    case stats::Verdict::Inconclusive:
      break;
  }
  return Verdict::Inconclusive;
}

}  // namespace

stats::DecisionSettings decision_settings(const AnalysisSettings& settings) {
  stats::DecisionSettings s;
  s.noise_threshold = settings.noise_threshold;
  s.confidence = settings.confidence;
  s.significance = stats::kSignificance;
  return s;
}

Decision to_report_decision(const stats::Decision& d) {
  Decision decision;
  if (d.estimate) {
    decision.ratio.estimate = *d.estimate;
    decision.ratio.low = d.low.value_or(*d.estimate);
    decision.ratio.high = d.high.value_or(*d.estimate);
    decision.ratio.bounded = d.low && d.high;
  }
  decision.p_value = d.p;
  decision.p_adjusted = d.adjusted_p;
  decision.degrees_of_freedom = d.df;
  decision.verdict = verdict_of(d.verdict);
  decision.resolvable = d.half_width;
  if (d.runs_needed) decision.runs_needed = static_cast<int>(*d.runs_needed);
  return decision;
}

}  // namespace callbench
