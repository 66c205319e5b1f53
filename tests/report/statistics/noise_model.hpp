// A machine of known truth for callbench-report's statistics: what the
// benchmark would print, run after run, with the kinds of noise a shared
// virtual machine shows. Shared by the stand-in benchmark and the in-process
// simulation, so both see the same figures for the same process.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/procedures.hpp"

namespace callbench::statcheck {

// Standard deviations in log space unless said otherwise.
struct NoiseLevels {
  double run_level = 0.04;          // shared by the four procedures of a run
  double procedure_offset = 0.018;  // each procedure's own, per run
  double sweep_shift = 0.028;       // shared by the four figures of a sweep
  double jitter = 0.06;             // each figure's own
  double spike_chance = 0.01;       // a figure multiplied by 1.5 to 3
  double disturbed_chance = 0.005;  // a reference loop ran long: the figure lowered, at times to <= 0
  // Drift over processes, shared by the procedures: steps strong enough that
  // the tool of an earlier design claimed a change in about 40 % of 20-run
  // baseline A/A pairs, as it did on this project's machine.
  double drift_step = 0.008;
  double own_drift_step = 0.003;  // each procedure's own, weaker
  // The drift does not wander off for ever: it reverts to the machine's long-run
  // level with this time constant, in processes (about half a minute of runs),
  // and has long been going when a report starts. So each report starts where
  // the machine happens to be, its drift already at its stationary spread
  // (step / sqrt(1 - r^2), r = exp(-1 / memory): 4 % shared, 1.5 % each
  // procedure's own), and a report's ratios during its runs are not the
  // machine's long-run ones.
  double drift_memory = 50;
};

// Millicycles per call: TestNoFrameA 4 % dearer than TheOne, TestNoFrameB
// equal to it, TestWithFrame 15 % cheaper, as on this project's machine.
inline constexpr std::array<double, kProcedures> kTrueCosts = {4160, 4000, 4000, 3400};

struct Scenario {
  std::uint64_t seed = 1;
  double drift = 0;  // scale of the drift steps below; 0 for a machine that does not drift
  std::array<double, kProcedures> costs = kTrueCosts;
  std::array<double, kProcedures> factors = {1, 1, 1, 1};  // this side's cost factors, for power
  NoiseLevels noise{};
  // A carry-over from the run before: the second run of each interleaved pair
  // (an odd process: the tool starts A's and B's warm-up runs, then pair after
  // pair) costs this much more, relatively, in all four procedures.
  double position_effect = 0;
};

// Where the drift has taken each procedure's log cost at a process: the drift
// shared by all plus each procedure's own.
using DriftOffsets = std::array<double, kProcedures>;

// The offsets of processes 0..last, summed step by step once; each equals what
// simulate_run computes for its process.
std::vector<DriftOffsets> drift_path(const Scenario& scenario, std::uint64_t last);

// The figures of the process with this index (0 for the first the tool starts)
// on this side (0 for A, 1 for B). Deterministic; drift depends on the
// process index only, as a machine's does.
Figures simulate_run(const Scenario& scenario, std::uint64_t process, int side);
// The same with its drift offsets given (zero without drift).
Figures simulate_run(const Scenario& scenario, std::uint64_t process, int side, const DriftOffsets& drift);

// Scales the run, procedure, sweep and figure noise alike.
void scale_white_noise(NoiseLevels& noise, double scale);

// A machine whose noise is almost all shared by a run's four procedures (its
// neighbours, its clock): 10 % per run, 0.3 % within a run (procedure, sweep
// and figure noise together, in the model's proportions).
void shared_noise(NoiseLevels& noise);

// The true ratio of a procedure to TheOne on a side: the machine's long-run one.
double true_ratio_to_reference(const Scenario& scenario, std::size_t procedure);

// The ratio of a procedure to TheOne during the processes first..first + runs - 1:
// the long-run one moved by the mean of their own drifts.
double ratio_during(const Scenario& scenario, std::size_t procedure, std::uint64_t first, std::size_t runs);

}  // namespace callbench::statcheck
