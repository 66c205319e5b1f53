#pragma once

#include <string>
#include <vector>

namespace callbench {

inline constexpr const char* kAmdVendor = "AuthenticAMD";
inline constexpr const char* kIntelVendor = "GenuineIntel";

// One row of the table in core/microarchitectures.cpp: a vendor's family, a
// range of its models and of their steppings, and the microarchitecture's name.
struct MicroarchitectureRow {
  const char* vendor;  // CPUID leaf 0's vendor string
  unsigned family;     // display family
  unsigned first_model, last_model;
  unsigned first_stepping, last_stepping;
  const char* name;
};

// The table, row by row.
const std::vector<MicroarchitectureRow>& microarchitecture_rows();

// The name for a vendor's family, model and stepping, or "unknown" outside the table.
std::string microarchitecture_of(const std::string& vendor, unsigned family, unsigned model, unsigned stepping);

}  // namespace callbench
