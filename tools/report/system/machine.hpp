#pragma once

#include <string>

namespace callbench {

struct Machine {
  std::string model;  // "model name" of the first processor, empty if unknown
  bool constant_tsc = false;
  bool nonstop_tsc = false;

  // The counter ticks at one rate through frequency changes and sleep states.
  bool invariant_tsc() const { return constant_tsc && nonstop_tsc; }
  // One line for the report.
  std::string line() const;
};

// From the text of /proc/cpuinfo.
Machine parse_cpuinfo(const std::string& cpuinfo);
Machine this_machine();

}  // namespace callbench
