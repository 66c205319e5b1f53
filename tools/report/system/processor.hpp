#pragma once

#include <cstdint>

#include "core/conditions.hpp"

namespace callbench {

// From CPUID, the same way on every system: the brand string and whether the
// time-stamp counter is invariant.
Processor read_processor();

// Whether CPUID says this runs under a hypervisor (leaf 1 ECX bit 31), and the
// hypervisor's vendor signature (leaf 0x40000000: "KVMKVMKVM", "Microsoft Hv", ...).
struct Hypervisor {
  bool present = false;
  std::string signature;  // empty when absent or not given
};
Hypervisor read_hypervisor();

std::uint64_t read_time_stamp_counter();

// Counter ticks that a chain of this many dependent single-cycle additions
// takes, serialised before and after.
std::uint64_t time_addition_chain(std::uint64_t additions);

// Counter ticks per second, against the system's steady clock over about this long.
double measure_tsc_hz(double seconds);

}  // namespace callbench
