#pragma once

#include <optional>
#include <string>

#include "core/conditions.hpp"

namespace callbench {

// The time now, ISO 8601 in UTC: "2026-12-09T03:10:00Z".
std::string utc_now();

std::optional<std::string> host_name();
// Operating system and kernel or version, e.g. "Linux 6.1.0-28-amd64 (Debian GNU/Linux 12)",
// "Windows 10.0.19045", "Wine 8.0 (Windows 10.0.19043)".
std::optional<std::string> os_description();
// None where the system has no load average (Windows).
std::optional<LoadAverage> load_average();

// Whether the runs this program starts can raise their priority as the benchmark
// asks: on Linux, whether they may lower their nice value (root, CAP_SYS_NICE or
// RLIMIT_NICE); on Windows HIGH_PRIORITY_CLASS needs no privilege.
Priority priority_raise();

int processor_count();
// Throws std::runtime_error with the reason when this process cannot be pinned
// to the processor: it does not exist, or is not among those it may use.
void check_processor(int cpu);
// Pins this process, and so every run it starts afterwards, to one processor,
// checked as above. Throws std::runtime_error with the reason.
void pin_to_processor(int cpu);

}  // namespace callbench
