#pragma once

#include <string>
#include <vector>

namespace callbench {

// One thing about the machine that decides whether counter ticks mean the same
// from one run to the next, as it was read.
struct MachineCheck {
  enum class Status {
    Fit,      // as it should be for measuring
    NotFit,   // the user can and should change it; advice says how
    Unknown,  // could not be read; value says why
    Note,     // worth knowing, not something the user can fix
  };

  std::string key;    // stable name for JSON: "governor", "boost", "smt_sibling", ...
  std::string title;  // shown before the value, e.g. "frequency governor"
  std::string value;  // what was read, e.g. "powersave (intel_pstate) on 0-3", or "unknown: <why>"
  Status status = Status::Unknown;
  std::string advice;  // one line naming what to run or change; empty when there is nothing to do
};

// "fit", "not fit", "unknown", "note": for tables and JSON alike.
inline const char* status_name(MachineCheck::Status status) {
  switch (status) {
    case MachineCheck::Status::Fit:
      return "fit";
    case MachineCheck::Status::NotFit:
      return "not fit";
    case MachineCheck::Status::Unknown:
      return "unknown";
    case MachineCheck::Status::Note:
      return "note";
  }
  return "unknown";
}

// A machine is fit to measure when nothing found is known to be wrong: what
// could not be read and what cannot be changed do not count against it.
inline bool machine_is_fit(const std::vector<MachineCheck>& checks) {
  for (const auto& check : checks)
    if (check.status == MachineCheck::Status::NotFit) return false;
  return true;
}

}  // namespace callbench
