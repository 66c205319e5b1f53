// Plays the benchmark for callbench-report-statcheck: prints what the benchmark
// prints, with figures from the noise model for the next process in the state
// file's count, so drift follows the order in which the tool starts processes.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "benchmark_output.h"
#include "noise_model.hpp"
#include "standin_arguments.hpp"

namespace {

using namespace callbench;

// The count so far, then one more; a missing or unreadable file counts as 0.
unsigned long long next_process(const std::string& state) {
  unsigned long long count = 0;
  std::ifstream(state) >> count;
  std::ofstream(state, std::ios::trunc) << count + 1 << '\n';
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const auto setup = statcheck::parse_standin_arguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!setup) {
    std::fprintf(stderr,
                 "usage: callbench-report-noise-standin --state FILE --seed N --side 0|1 --drift SCALE --noise "
                 "SCALE --factors F,F,F,F [--disturbed P] [--position P] [--shared-noise 0|1]\n");
    return 64;
  }
  const auto figures = statcheck::simulate_run(setup->scenario, next_process(setup->state), setup->side);
  std::fputs(benchmark_output::output_text(figures).c_str(), stdout);
  return 0;
}
