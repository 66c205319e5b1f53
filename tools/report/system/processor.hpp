#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/conditions.hpp"

namespace callbench {

// From CPUID, the same way on every system: the brand string, whether the
// time-stamp counter is invariant, and the identity, with the microcode
// revision of the given processor (else the first) where the system shows it.
Processor read_processor(std::optional<int> cpu);

// The microcode revision the system shows for a processor: on Linux in /sys
// (cpuN/microcode/version) or else /proc/cpuinfo; on Windows in the registry's
// CentralProcessor key ("Update Revision"). None where it shows none, as Wine.
std::optional<std::uint32_t> read_microcode(int cpu);

// The "microcode" line of a processor's block in /proc/cpuinfo.
std::optional<std::uint32_t> cpuinfo_microcode(const std::string& cpuinfo, int cpu);

// Windows' "Update Revision" value: the raw 64 bits of the microcode signature
// register, the revision in the high half on Intel; a value with only the low
// half set gives that half.
std::optional<std::uint32_t> update_revision_microcode(const std::vector<unsigned char>& value);

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
