#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/conditions.hpp"
#include "core/machine_check.hpp"
#include "system/processor.hpp"

namespace callbench {

// What the Linux checks read, so tests can hand them a machine of their own.
struct LinuxMachine {
  // Put before /sys/... and /proc/...: empty for this machine, a fixture
  // tree's folder in tests.
  std::string root;
  std::optional<int> pinned_cpu;
  Hypervisor hypervisor;  // from CPUID, which no file holds
  Priority priority;
  // Between the two reads of /proc/stat that tell whether a processor is
  // busy: a pause on a real machine, a rewrite of the file in tests.
  std::function<void()> between_samples;
};

// The checks in a fixed order: governor, boost, smt_sibling,
// isolated_processors, hypervisor, load, priority. Never throws.
std::vector<MachineCheck> check_linux_machine(const LinuxMachine& machine);

}  // namespace callbench
