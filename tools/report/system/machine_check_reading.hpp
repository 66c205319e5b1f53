#pragma once

#include <optional>
#include <vector>

#include "core/machine_check.hpp"

namespace callbench {

// Whether this machine is fit to measure on: frequency governor, boost, SMT
// sibling, isolated processors, hypervisor, load and priority on Linux; power
// plan, priority, hypervisor and Wine on Windows. pinned_cpu is the processor
// --cpu pins the runs to, if any. Only reads, never changes anything, and
// never throws: what cannot be read is Unknown. On Linux it waits a quarter
// of a second when it has to tell whether the pinned processor's sibling is busy.
std::vector<MachineCheck> check_this_machine(std::optional<int> pinned_cpu);

}  // namespace callbench
