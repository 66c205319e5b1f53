#include "noise_model.hpp"

#include <cmath>

#include "random_stream.hpp"

namespace callbench::statcheck {

namespace {

enum Stream : std::uint64_t { kProcess = 1, kDriftStep = 2 };
constexpr std::uint64_t kCommonWalk = kProcedures;  // the walk shared by all procedures

double step(const Scenario& s, std::uint64_t component, std::uint64_t index, double size) {
  return size * RandomStream(key({s.seed, kDriftStep, component, index})).normal();
}

}  // namespace

std::vector<DriftOffsets> drift_path(const Scenario& s, std::uint64_t last) {
  std::vector<DriftOffsets> path(last + 1, DriftOffsets{});
  if (s.drift == 0) return path;
  // An autoregressive drift x(i) = r x(i - 1) + step, started (index 0) from its
  // stationary distribution: where a machine that has run for long happens to be.
  const double r = std::exp(-1 / s.noise.drift_memory);
  const double stationary = 1 / std::sqrt(1 - r * r);
  const double common_step = s.drift * s.noise.drift_step, own_step = s.drift * s.noise.own_drift_step;
  double common = step(s, kCommonWalk, 0, common_step * stationary);
  DriftOffsets own{};
  for (std::size_t p = 0; p < kProcedures; ++p) {
    own[p] = step(s, p, 0, own_step * stationary);
    path[0][p] = common + own[p];
  }
  for (std::uint64_t i = 1; i <= last; ++i) {
    common = r * common + step(s, kCommonWalk, i, common_step);
    for (std::size_t p = 0; p < kProcedures; ++p) {
      own[p] = r * own[p] + step(s, p, i, own_step);
      path[i][p] = common + own[p];
    }
  }
  return path;
}

Figures simulate_run(const Scenario& s, std::uint64_t process, int side) {
  return simulate_run(s, process, side, drift_path(s, process)[process]);
}

Figures simulate_run(const Scenario& s, std::uint64_t process, int side, const DriftOffsets& drift) {
  const NoiseLevels& n = s.noise;
  RandomStream random(key({s.seed, kProcess, process, static_cast<std::uint64_t>(side)}));
  std::array<double, kProcedures> level{};
  const double shared = n.run_level * random.normal() + (process % 2 == 1 ? std::log1p(s.position_effect) : 0);
  for (std::size_t p = 0; p < kProcedures; ++p)
    level[p] = std::log(s.costs[p] * s.factors[p]) + shared + n.procedure_offset * random.normal() + drift[p];

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

void scale_white_noise(NoiseLevels& n, double scale) {
  n.run_level *= scale;
  n.procedure_offset *= scale;
  n.sweep_shift *= scale;
  n.jitter *= scale;
}

void shared_noise(NoiseLevels& n) {
  // Any scale already given to the white noise is kept.
  const double scale = n.run_level / NoiseLevels{}.run_level;
  const double within =
      std::sqrt(n.procedure_offset * n.procedure_offset + n.sweep_shift * n.sweep_shift + n.jitter * n.jitter);
  const double shrink = within > 0 ? 0.003 * scale / within : 0;
  n.run_level = 0.10 * scale;
  n.procedure_offset *= shrink;
  n.sweep_shift *= shrink;
  n.jitter *= shrink;
}

double true_ratio_to_reference(const Scenario& s, std::size_t procedure) {
  return s.costs[procedure] * s.factors[procedure] / (s.costs[kReference] * s.factors[kReference]);
}

double ratio_during(const Scenario& s, std::size_t procedure, std::uint64_t first, std::size_t runs) {
  const auto path = drift_path(s, first + runs);
  double sum = 0;
  for (std::uint64_t i = first; i < first + runs; ++i) sum += path[i][procedure] - path[i][kReference];
  return true_ratio_to_reference(s, procedure) * std::exp(runs ? sum / static_cast<double>(runs) : 0);
}

}  // namespace callbench::statcheck
