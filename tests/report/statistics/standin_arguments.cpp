#include "standin_arguments.hpp"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace callbench::statcheck {

std::vector<std::string> standin_arguments(const StandinSetup& setup) {
  std::string factors;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%.17g", p ? "," : "", setup.scenario.factors[p]);
    factors += text;
  }
  char drift[32], noise[32], disturbed[32], position[32];
  std::snprintf(drift, sizeof drift, "%.17g", setup.scenario.drift);
  std::snprintf(noise, sizeof noise, "%.17g", setup.noise_scale);
  std::snprintf(disturbed, sizeof disturbed, "%.17g", setup.scenario.noise.disturbed_chance);
  std::snprintf(position, sizeof position, "%.17g", setup.scenario.position_effect);
  return {"--state",        setup.state,
          "--seed",         std::to_string(setup.scenario.seed),
          "--side",         std::to_string(setup.side),
          "--drift",        drift,
          "--noise",        noise,
          "--factors",      factors,
          "--disturbed",    disturbed,
          "--position",     position,
          "--shared-noise", setup.shared_noise ? "1" : "0"};
}

std::optional<StandinSetup> parse_standin_arguments(const std::vector<std::string>& args) {
  StandinSetup setup;
  try {
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
      const std::string& name = args[i];
      const std::string& value = args[i + 1];
      if (name == "--state") {
        setup.state = value;
      } else if (name == "--seed") {
        setup.scenario.seed = std::stoull(value);
      } else if (name == "--side") {
        setup.side = std::stoi(value);
      } else if (name == "--drift") {
        setup.scenario.drift = std::stod(value);
      } else if (name == "--noise") {
        setup.noise_scale = std::stod(value);
      } else if (name == "--disturbed") {
        setup.scenario.noise.disturbed_chance = std::stod(value);
      } else if (name == "--shared-noise") {
        setup.shared_noise = value == "1";
      } else if (name == "--position") {
        setup.scenario.position_effect = std::stod(value);
      } else if (name == "--factors") {
        std::stringstream in(value);
        std::string item;
        for (std::size_t p = 0; p < kProcedures; ++p) {
          if (!std::getline(in, item, ',')) return std::nullopt;
          setup.scenario.factors[p] = std::stod(item);
        }
      } else {
        return std::nullopt;
      }
    }
  } catch (const std::logic_error&) {
    return std::nullopt;
  }
  if (args.size() % 2 != 0 || setup.state.empty() || (setup.side != 0 && setup.side != 1)) return std::nullopt;
  scale_white_noise(setup.scenario.noise, setup.noise_scale);
  if (setup.shared_noise) shared_noise(setup.scenario.noise);
  return setup;
}

}  // namespace callbench::statcheck
