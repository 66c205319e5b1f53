#pragma once

#include <optional>
#include <vector>

#include "core/machine_check.hpp"
#include "write/document.hpp"

namespace callbench {

// What `callbench-report system` prints: each check with its status and what
// was read, the advice for those that have any, and whether the machine is fit.
Document machine_checks_document(const std::vector<MachineCheck>& checks, std::optional<int> pinned_cpu);

}  // namespace callbench
