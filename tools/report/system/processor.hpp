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

// A chain of dependent single-cycle additions timed with the counter, and
// against the system's steady clock, so the same chains give the counter's rate.
struct ChainTiming {
  std::uint64_t ticks = 0;
  double seconds = 0;
};

// Times a chain of this many additions, serialised before and after.
ChainTiming time_addition_chain(std::uint64_t additions);

}  // namespace callbench
