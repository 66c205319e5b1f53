#include "system/machine.hpp"

#include <fstream>
#include <sstream>

namespace callbench {
namespace {

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string Machine::line() const {
  std::string text = model.empty() ? "unknown processor" : model;
  text += "; time-stamp counter ";
  if (invariant_tsc()) return text + "invariant (constant_tsc, nonstop_tsc)";
  text += "not invariant (lacks";
  if (!constant_tsc) text += " constant_tsc";
  if (!nonstop_tsc) text += " nonstop_tsc";
  return text + ")";
}

Machine parse_cpuinfo(const std::string& cpuinfo) {
  Machine machine;
  bool have_flags = false;
  std::istringstream in(cpuinfo);
  for (std::string line; std::getline(in, line);) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    const auto key = trim(line.substr(0, colon));
    const auto value = trim(line.substr(colon + 1));
    // Every processor repeats these; the first one speaks for all.
    if (key == "model name" && machine.model.empty()) {
      machine.model = value;
    } else if (key == "flags" && !have_flags) {
      have_flags = true;
      std::istringstream flags(value);
      for (std::string flag; flags >> flag;) {
        if (flag == "constant_tsc") machine.constant_tsc = true;
        if (flag == "nonstop_tsc") machine.nonstop_tsc = true;
      }
    }
  }
  return machine;
}

Machine this_machine() {
  std::ifstream in("/proc/cpuinfo");
  std::ostringstream text;
  text << in.rdbuf();
  return parse_cpuinfo(text.str());
}

}  // namespace callbench
