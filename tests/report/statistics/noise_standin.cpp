// Plays the benchmark for callbench-report-statcheck: prints what the benchmark
// prints, with figures from the noise model for the next process in the state
// file's count, so drift follows the order in which the tool starts processes.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

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

void print_benchmark_output(const Figures& figures) {
  for (const auto& sweep : figures) {
    for (std::size_t p = 0; p < kProcedures; ++p)
      std::printf("%d\tmillicycles for %s\r\n", sweep[p], std::string(kProcedureNames[p]).c_str());
    std::printf("\n");
  }
  const int sizes[kProcedures] = {7, 15, 13, 16};
  for (std::size_t p = 0; p < kProcedures; ++p)
    std::printf("%s\t%d\r\n", std::string(kSizeHeadings[p]).c_str(), sizes[p]);
}

}  // namespace

int main(int argc, char** argv) {
  const auto setup = statcheck::parse_standin_arguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!setup) {
    std::fprintf(stderr,
                 "usage: callbench-report-noise-standin --state FILE --seed N --side 0|1 --drift SCALE --noise "
                 "SCALE --factors F,F,F,F [--position P] [--shared-noise 0|1]\n");
    return 64;
  }
  print_benchmark_output(statcheck::simulate_run(setup->scenario, next_process(setup->state), setup->side));
  return 0;
}
