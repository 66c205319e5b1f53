#pragma once

#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "core/conditions.hpp"
#include "core/machine_check.hpp"
#include "system/processor.hpp"

namespace callbench {

// The check with what was read, what it means and what to do.
inline MachineCheck judged(MachineCheck check, std::string value, MachineCheck::Status status,
                           std::string advice = {}) {
  check.value = std::move(value);
  check.status = status;
  check.advice = std::move(advice);
  return check;
}

// The check, unknown for the reason given.
inline MachineCheck unknown_because(MachineCheck check, const std::string& why) {
  check.value = "unknown: " + why;
  check.status = MachineCheck::Status::Unknown;
  return check;
}

// A check that fails in a way nobody foresaw says so instead of stopping the others.
template <typename Check>
MachineCheck guarded(const char* key, const char* title, Check check) {
  const MachineCheck failed{key, title, {}, MachineCheck::Status::Unknown, {}};
  try {
    return check();
  } catch (const std::exception& e) {
    return unknown_because(failed, e.what());
  } catch (...) {
    return unknown_because(failed, "failed");
  }
}

// The checks whose reading differs between systems but whose judgement does
// not: given what was read, what it means and what to do. No system calls.

MachineCheck hypervisor_check(const Hypervisor& hypervisor);

// advice: what gets the raise on this system, for when it is not permitted.
MachineCheck priority_check(const Priority& priority, const std::string& advice);

// The active Windows power plan, by its GUID in lower-case text
// ("8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c"), with the name Windows gives it.
MachineCheck power_scheme_check(const std::string& guid, const std::string& friendly_name);

// Wine's version (as wine_get_version gives it) and its host system, when under Wine.
MachineCheck wine_check(const std::optional<std::string>& version, const std::string& host_system);

}  // namespace callbench
