#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/machine_check.hpp"

namespace callbench {

// Which processor this is, beyond a brand string that may say only "AMD EPYC":
// CPUID's vendor and signature, decoded as core/processor_identity.hpp says.
struct ProcessorIdentity {
  std::string vendor;                            // CPUID leaf 0, e.g. "AuthenticAMD", "GenuineIntel"
  std::uint32_t signature = 0;                   // CPUID leaf 1 EAX
  unsigned family = 0, model = 0, stepping = 0;  // the display values, extended fields added
  std::optional<std::uint32_t> microcode;        // the revision, where the system shows it
  std::string microarchitecture;                 // from the project's table, "unknown" outside it

  friend bool operator==(const ProcessorIdentity& a, const ProcessorIdentity& b) {
    return a.vendor == b.vendor && a.signature == b.signature && a.family == b.family && a.model == b.model &&
           a.stepping == b.stepping && a.microcode == b.microcode && a.microarchitecture == b.microarchitecture;
  }
};

struct Processor {
  std::string brand;                  // CPUID's brand string, empty if the processor has none
  std::optional<bool> invariant_tsc;  // CPUID 0x80000007 EDX bit 8; unknown if not reported
  // Unknown in reports of format 3 and before, and where CPUID has no leaf 1.
  std::optional<ProcessorIdentity> identity;
};

struct LoadAverage {
  double one = 0, five = 0, fifteen = 0;
};

// Whether the benchmark's raise to high priority can take effect.
struct Priority {
  enum class Raise { Effective, NotPermitted, Unknown };
  Raise raise = Raise::Unknown;
  std::string detail;  // why, e.g. "root", "CAP_SYS_NICE", "no CAP_SYS_NICE and RLIMIT_NICE 0"
};

// Core clocks per time-stamp counter tick, each sample from timing a long
// chain of dependent single-cycle additions with the counter.
struct Calibration {
  std::vector<double> samples;  // in the order taken
  std::uint64_t additions = 0;  // per sample
};

// What a series was measured under.
struct Conditions {
  std::string date_utc;  // ISO 8601, e.g. "2026-12-09T03:10:00Z"
  std::string tool_version;
  // Set for outputs captured elsewhere: the machine they came from. The
  // report's own host, system and processor are then not recorded.
  std::optional<std::string> machine_label;
  std::optional<std::string> host;
  std::optional<std::string> os;  // e.g. "Linux 6.1.0-28-amd64", "Windows 10.0.19045"
  std::optional<Processor> processor;
  std::optional<double> tsc_hz;
  std::optional<LoadAverage> load_before, load_after;
  Priority priority;
  std::optional<int> cpu;  // the processor the runs were pinned to
  std::optional<Calibration> calibration_before, calibration_after;
  // Whether the machine was fit to measure, as read before the runs.
  std::vector<MachineCheck> checks;
};

}  // namespace callbench
