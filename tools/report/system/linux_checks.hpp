#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/machine_check.hpp"
#include "system/linux_tree.hpp"

namespace callbench {

// The processors the runs use: the pinned one, else every online one.
struct Processors {
  std::optional<int> pinned;
  std::optional<std::vector<int>> online;  // none when unreadable, with why
  std::string why;
  std::optional<std::vector<int>> used() const;
};

MachineCheck governor_check(const LinuxTree& tree, const Processors& processors);
MachineCheck boost_check(const LinuxTree& tree, const Processors& processors);
MachineCheck smt_sibling_check(const LinuxTree& tree, const Processors& processors,
                               const std::function<void()>& between_samples);
MachineCheck isolated_check(const LinuxTree& tree, const Processors& processors);
MachineCheck load_check(const LinuxTree& tree, const Processors& processors);

}  // namespace callbench
