#include <chrono>
#include <exception>
#include <thread>

#include "system/host.hpp"
#include "system/linux_checks.hpp"
#include "system/machine_check_reading.hpp"
#include "system/machine_check_reading_linux.hpp"
#include "system/shared_checks.hpp"

namespace callbench {
namespace {

// Long enough for a few dozen scheduler ticks, short enough to go unnoticed.
constexpr std::chrono::milliseconds kBetweenSamples{250};

}  // namespace

std::vector<MachineCheck> check_linux_machine(const LinuxMachine& machine) {
  const LinuxTree tree(machine.root);
  Processors processors;
  processors.pinned = machine.pinned_cpu;
  try {
    processors.online = tree.cpu_list_file("online", &processors.why);
  } catch (const std::exception& e) {
    processors.why = e.what();
  }

  std::vector<MachineCheck> checks;
  checks.push_back(guarded("governor", "frequency governor", [&] { return governor_check(tree, processors); }));
  checks.push_back(guarded("boost", "turbo/boost", [&] { return boost_check(tree, processors); }));
  checks.push_back(guarded("smt_sibling", "SMT sibling",
                           [&] { return smt_sibling_check(tree, processors, machine.between_samples); }));
  checks.push_back(
      guarded("isolated_processors", "isolated processors", [&] { return isolated_check(tree, processors); }));
  checks.push_back(guarded("hypervisor", "hypervisor", [&] { return hypervisor_check(machine.hypervisor); }));
  checks.push_back(guarded("load", "load average", [&] { return load_check(tree, processors); }));
  checks.push_back(guarded("priority", "priority raise", [&] {
    return priority_check(machine.priority,
                          "run as root, or allow nice -10: '<user> - nice -10' in /etc/security/limits.conf, "
                          "then log in again");
  }));
  return checks;
}

std::vector<MachineCheck> check_this_machine(std::optional<int> pinned_cpu) {
  LinuxMachine machine;
  machine.pinned_cpu = pinned_cpu;
  machine.hypervisor = read_hypervisor();
  try {
    machine.priority = priority_raise();
  } catch (const std::exception& e) {
    machine.priority.detail = e.what();
  }
  machine.between_samples = [] { std::this_thread::sleep_for(kBetweenSamples); };
  return check_linux_machine(machine);
}

}  // namespace callbench
