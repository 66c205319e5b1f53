#include "cases.hpp"

#include "random_stream.hpp"

namespace callbench::statcheck {

namespace {

constexpr std::size_t kEqual = 1;   // TestNoFrameB
constexpr std::size_t kDearer = 0;  // TestNoFrameA

Target at_most(double rate, std::vector<std::size_t> runs) {
  return {rate, true, std::move(runs)};
}
Target at_least(double rate, std::vector<std::size_t> runs) {
  return {rate, false, std::move(runs)};
}

const std::vector<std::size_t> kEveryK = {2, 3, 5, 10, 20};
constexpr double kQuiet = 0.1, kOftenDisturbed = 0.03;

// Reports of one machine made at different times, pooled.
Case pooled(std::size_t reports, Measure measure, std::optional<Target> target) {
  Case c;
  c.label = std::to_string(reports) + " reports made apart, pooled (compare --pool), drifting: " +
            (measure == Measure::Coverage ? "ratio intervals hold the machine's long-run ratio"
                                          : "a procedure as dear as TheOne called slower/faster");
  c.design = Design::Pooled;
  c.drift = 1;
  c.measure = measure;
  c.target = std::move(target);
  c.reports = reports;
  return c;
}

// Strong noise shared by a run's four procedures, little within the run.
Case with_shared_noise(Case c) {
  c.shared_noise = true;
  return c;
}

// The second run of each interleaved pair dearer by this much.
Case with_position(Case c, double effect) {
  c.position_effect = effect;
  return c;
}

}  // namespace

std::vector<Case> standard_cases() {
  using D = Design;
  using M = Measure;
  return {
      {"one series, no drift: paired-ratio intervals hold the true ratio", D::Single, 0, 1, M::Coverage,
       at_least(0.92, kEveryK)},
      {"one series, drifting: paired-ratio intervals hold the ratio during its runs", D::Single, 1, 1,
       M::CoverageDuring, at_least(0.92, kEveryK)},
      {"one series, drifting: paired-ratio intervals hold the machine's long-run ratio",
       D::Single,
       1,
       1,
       M::Coverage,
       {}},
      {"one series, no drift: a procedure as dear as TheOne called slower/faster", D::Single, 0, 1,
       M::ClaimOnEqual, at_most(0.025, kEveryK)},
      {"one series, drifting: a procedure as dear as TheOne called slower/faster",
       D::Single,
       1,
       1,
       M::ClaimOnEqual,
       {}},
      {"interleaved A/A, drifting: p < 0.05 before adjustment, per procedure",
       D::Interleaved,
       1,
       1,
       M::PBelowLevelEach,
       {}},
      {"interleaved A/A, drifting: a change claimed, per procedure", D::Interleaved, 1, 1, M::ClaimEach,
       at_most(0.05, kEveryK)},
      {"interleaved A/A, drifting: a change claimed on any of the four", D::Interleaved, 1, 1, M::ClaimAny,
       at_most(0.05, kEveryK)},
      {"sequential --baseline A/A, drifting: a change claimed, per procedure", D::Sequential, 1, 1,
       M::ClaimEach, at_most(0.05, {5, 10, 20})},
      {"sequential --baseline A/A, drifting: a change claimed on any of the four", D::Sequential, 1, 1,
       M::ClaimAny, at_most(0.05, {5, 10, 20})},
      {"interleaved, drifting: 2 % dearer detected", D::Interleaved, 1, 1.02, M::DetectedDearerB, {}},
      {"interleaved, drifting: 5 % dearer detected", D::Interleaved, 1, 1.05, M::DetectedDearerB, {}},
      {"interleaved, drifting: 10 % dearer detected", D::Interleaved, 1, 1.10, M::DetectedDearerB,
       at_least(0.95, {20})},
      {"sequential --baseline, drifting: 30 % dearer detected", D::Sequential, 1, 1.30, M::DetectedDearerB,
       at_least(0.80, {20})},
      // A quiet machine (a tenth of the model's scatter) whose loops are often
      // disturbed: 3 % of figures lowered by 20-120 % of their cost, most of
      // them staying positive. One disturbed TheOne in a run of two usable
      // sweeps made that run's ratio several times the others'.
      {"quiet machine, disturbed loops: paired-ratio intervals hold the true ratio", D::Single, 0, 1,
       M::Coverage, at_least(0.92, kEveryK), kQuiet, kOftenDisturbed},
      {"quiet machine, disturbed loops: a procedure as dear as TheOne called slower/faster", D::Single, 0, 1,
       M::ClaimOnEqual, at_most(0.025, kEveryK), kQuiet, kOftenDisturbed},
      {"quiet machine, disturbed loops: --precision 0.01 would need over 100 runs", D::Single, 0, 1,
       M::ManyRunsNeeded, at_most(0.02, {5, 10, 20}), kQuiet, kOftenDisturbed},
      {"interleaved A/A, drifting: a ratio to TheOne claimed changed, on any of the three", D::Interleaved, 1,
       1, M::RatioClaimAny, at_most(0.05, kEveryK)},
      {"interleaved, drifting: 10 % dearer found by the ratios to TheOne",
       D::Interleaved,
       1,
       1.10,
       M::RatioDetectedDearerB,
       {}},
      with_shared_noise({"interleaved A/A, strong shared noise: a change claimed on any of the four",
                         D::Interleaved, 1, 1, M::ClaimAny, at_most(0.05, kEveryK)}),
      with_shared_noise(
          {"interleaved A/A, strong shared noise: a ratio to TheOne claimed changed, on any of the "
           "three",
           D::Interleaved, 1, 1, M::RatioClaimAny, at_most(0.05, kEveryK)}),
      with_shared_noise({"interleaved, strong shared noise: 10 % dearer detected",
                         D::Interleaved,
                         1,
                         1.10,
                         M::DetectedDearerB,
                         {}}),
      with_shared_noise({"interleaved, strong shared noise: 10 % dearer found by the ratios to TheOne",
                         D::Interleaved, 1, 1.10, M::RatioDetectedDearerB, at_least(0.90, {10, 20})}),
      {"interleaved, quiet machine (a quarter of the noise, no drift): 2 % dearer detected",
       D::Interleaved,
       0,
       1.02,
       M::DetectedDearerB,
       {},
       0.25},
      {"interleaved, quiet machine (a quarter of the noise, no drift): 2 % dearer found by the ratios to "
       "TheOne",
       D::Interleaved,
       0,
       1.02,
       M::RatioDetectedDearerB,
       {},
       0.25},
      with_position(
          {"interleaved A/A, drifting, second run of a pair 5 % dearer: a change claimed on any of the "
           "four",
           D::Interleaved, 1, 1, M::ClaimAny, at_most(0.05, {5, 10, 20})},
          0.05),
      with_position(
          {"interleaved A/A, drifting, second run of a pair 2 % dearer: a change claimed on any of the "
           "four",
           D::Interleaved, 1, 1, M::ClaimAny, at_most(0.05, {5, 10, 20})},
          0.02),
      with_position({"interleaved A/A, drifting, second run of a pair 5 % dearer: its interval holds it",
                     D::Interleaved, 1, 1, M::PositionCoverage, at_least(0.92, {5, 10, 20})},
                    0.05),
      with_position({"interleaved, drifting, second run of a pair 5 % dearer: 10 % dearer detected",
                     D::Interleaved,
                     1,
                     1.10,
                     M::DetectedDearerB,
                     {}},
                    0.05),
      pooled(3, M::Coverage, at_least(0.92, {10, 20})),
      pooled(5, M::Coverage, at_least(0.92, {10, 20})),
      pooled(3, M::ClaimOnEqual, at_most(0.05, {10, 20})),
      pooled(5, M::ClaimOnEqual, at_most(0.05, {10, 20})),
  };
}

void scale_model(std::vector<Case>& cases, double drift_scale, double noise_scale) {
  for (auto& c : cases) {
    c.drift *= drift_scale;
    c.noise_scale *= noise_scale;
  }
}

std::size_t setup_of(const std::vector<Case>& cases, std::size_t c) {
  for (std::size_t first = 0; first < c; ++first) {
    const Case &a = cases[first], &b = cases[c];
    if (a.design == b.design && a.drift == b.drift && a.factor_b == b.factor_b &&
        a.noise_scale == b.noise_scale && a.disturbed_chance == b.disturbed_chance &&
        a.position_effect == b.position_effect && a.shared_noise == b.shared_noise && a.reports == b.reports)
      return first;
  }
  return c;
}

Scenario scenario_for(const Case& c, std::uint64_t seed, int side) {
  Scenario s;
  s.seed = seed;
  s.drift = c.drift;
  scale_white_noise(s.noise, c.noise_scale);
  s.noise.disturbed_chance = c.disturbed_chance;
  s.position_effect = c.position_effect;
  if (c.shared_noise) shared_noise(s.noise);
  if (side == 1) s.factors[kDearer] = c.factor_b;
  return s;
}

std::uint64_t pooled_report_seed(std::uint64_t seed, std::size_t index) {
  return key({seed, 0x706f6f6c, index});
}

Count score(const Case& c, const ReportOutcome& outcome) {
  Count count;
  switch (c.measure) {
    case Measure::Coverage: {
      const Scenario truth = scenario_for(c, 0, 0);
      for (std::size_t p = 0; p < kProcedures; ++p) {
        if (p == kReference) continue;
        ++count.trials;
        const auto& interval = outcome.intervals[p];
        const double ratio = true_ratio_to_reference(truth, p);
        if (interval && interval->low <= ratio && ratio <= interval->high) ++count.hits;
      }
      break;
    }
    case Measure::CoverageDuring:
      for (std::size_t p = 0; p < kProcedures; ++p) {
        if (p == kReference) continue;
        const auto& interval = outcome.intervals[p];
        const double ratio = outcome.ratios_during[p];
        count += {interval && interval->low <= ratio && ratio <= interval->high ? 1u : 0u, 1};
      }
      break;
    case Measure::ClaimOnEqual:
      count = {outcome.claims[kEqual] != Claim::None ? 1u : 0u, 1};
      break;
    case Measure::ClaimEach:
      for (const auto claim : outcome.claims) count += {claim != Claim::None ? 1u : 0u, 1};
      break;
    case Measure::PBelowLevelEach:
      for (const auto& p : outcome.p_values)
        if (p) count += {*p < 0.05 ? 1u : 0u, 1};
      break;
    case Measure::ClaimAny: {
      bool any = false;
      for (const auto claim : outcome.claims) any = any || claim != Claim::None;
      count = {any ? 1u : 0u, 1};
      break;
    }
    case Measure::ManyRunsNeeded: {
      bool many = false;
      for (std::size_t p = 0; p < kProcedures; ++p)
        if (p != kReference) many = many || !outcome.runs_needed[p] || *outcome.runs_needed[p] > kManyRuns;
      count = {many ? 1u : 0u, 1};
      break;
    }
    case Measure::DetectedDearerB: {
      // A against B for interleaved runs (A cheaper: faster); the new report,
      // side B, against its baseline for sequential ones (slower).
      const Claim expected = c.design == Design::Interleaved ? Claim::Faster : Claim::Slower;
      count = {outcome.claims[kDearer] == expected ? 1u : 0u, 1};
      break;
    }
    case Measure::RatioClaimAny: {
      bool any = false;
      for (const auto claim : outcome.ratio_claims) any = any || claim != Claim::None;
      count = {any ? 1u : 0u, 1};
      break;
    }
    case Measure::RatioDetectedDearerB:
      // A's ratio lower than B's.
      count = {outcome.ratio_claims[kDearer] == Claim::Faster ? 1u : 0u, 1};
      break;
    case Measure::PositionCoverage: {
      const double truth = 1 + c.position_effect;
      // Counted where there is one: below three pairs, or in one order only, there is none.
      if (const auto& interval = outcome.position)
        count = {interval->low <= truth && truth <= interval->high ? 1u : 0u, 1};
      break;
    }
  }
  return count;
}

}  // namespace callbench::statcheck
