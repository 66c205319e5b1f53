// The command line of the noise stand-in, written by the runner and read by the stand-in.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "noise_model.hpp"

namespace callbench::statcheck {

struct StandinSetup {
  std::string state;  // file holding the count of processes started so far
  Scenario scenario;
  int side = 0;
  double noise_scale = 1;     // applied to scenario.noise when read
  bool shared_noise = false;  // then shared_noise() too
};

// --state FILE --seed N --side 0|1 --drift SCALE --noise SCALE --factors F,F,F,F --disturbed P
// --position P --shared-noise 0|1
std::vector<std::string> standin_arguments(const StandinSetup& setup);
std::optional<StandinSetup> parse_standin_arguments(const std::vector<std::string>& args);

}  // namespace callbench::statcheck
