#include "noise_model.hpp"

#include <cmath>

#include "random_stream.hpp"

namespace callbench::statcheck {

namespace {

enum Stream : std::uint64_t { kProcess = 1, kDriftStep = 2 };
constexpr std::uint64_t kCommonWalk = kProcedures;  // the walk shared by all procedures

// The walk at `process`: the sum of its steps so far, each step a function of
// its index only.
double walk(const Scenario& s, std::uint64_t component, std::uint64_t process, double step) {
  double total = 0;
  for (std::uint64_t i = 1; i <= process; ++i)
    total += step * RandomStream(key({s.seed, kDriftStep, component, i})).normal();
  return total;
}

}  // namespace

Figures simulate_run(const Scenario& s, std::uint64_t process, int side) {
  const NoiseLevels& n = s.noise;
  RandomStream random(key({s.seed, kProcess, process, static_cast<std::uint64_t>(side)}));
  std::array<double, kProcedures> level{};
  const double shared = n.run_level * random.normal() +
                        (s.drift ? walk(s, kCommonWalk, process, n.drift_step) : 0);
  for (std::size_t p = 0; p < kProcedures; ++p)
    level[p] = std::log(s.costs[p] * s.factors[p]) + shared + n.procedure_offset * random.normal() +
               (s.drift ? walk(s, p, process, n.own_drift_step) : 0);

  Figures figures{};
  for (auto& sweep : figures) {
    const double shift = n.sweep_shift * random.normal();
    for (std::size_t p = 0; p < kProcedures; ++p) {
      double figure = std::exp(level[p] + shift + n.jitter * random.normal());
      if (random.uniform() < n.spike_chance) figure *= random.uniform(1.5, 3);
      if (random.uniform() < n.disturbed_chance) figure -= random.uniform(0.2, 1.2) * s.costs[p];
      sweep[p] = static_cast<std::int32_t>(std::lround(figure));
    }
  }
  return figures;
}

double true_ratio_to_reference(const Scenario& s, std::size_t procedure) {
  return s.costs[procedure] * s.factors[procedure] / (s.costs[kReference] * s.factors[kReference]);
}

}  // namespace callbench::statcheck
