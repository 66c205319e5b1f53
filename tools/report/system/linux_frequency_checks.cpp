// Whether the clock the counter ticks are measured against can move: the
// frequency governor and turbo/boost.
#include <map>
#include <utility>

#include "core/text.hpp"
#include "system/cpu_list.hpp"
#include "system/linux_checks.hpp"
#include "system/shared_checks.hpp"

namespace callbench {
namespace {

using Status = MachineCheck::Status;

std::string joined(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const auto& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

// Processors grouped by what a file of theirs says, e.g. "powersave" -> 0-3.
using Groups = std::map<std::string, std::vector<int>>;

std::vector<std::string> describe(const Groups& groups, const std::string& prefix = {}) {
  std::vector<std::string> parts;
  for (const auto& [what, cpus] : groups) parts.push_back(prefix + what + " on " + format_cpu_list(cpus));
  return parts;
}

// A sysfs switch holds "0" or "1"; anything else counts as unread.
std::optional<bool> switch_value(const std::optional<std::string>& text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<int>> Processors::used() const {
  if (pinned) return std::vector<int>{*pinned};
  return online;
}

// Only the performance governor holds the clock at its highest; the others
// move it with the load (powersave, schedutil, ondemand, conservative) or
// leave it wherever someone put it (userspace).
MachineCheck governor_check(const LinuxTree& tree, const Processors& processors) {
  const MachineCheck check{"governor", "frequency governor", {}, Status::Unknown, {}};
  const auto cpus = processors.used();
  if (!cpus) return unknown_because(check, processors.why);
  Groups governors;
  std::vector<int> without;
  bool all_performance = true;
  for (const int cpu : *cpus) {
    const auto governor = tree.processor_file(cpu, "cpufreq/scaling_governor");
    if (!governor) {
      without.push_back(cpu);
      continue;
    }
    const auto driver = tree.processor_file(cpu, "cpufreq/scaling_driver");
    governors[escape(*governor) + " (" + (driver ? escape(*driver) : "driver unknown") + ")"].push_back(cpu);
    all_performance = all_performance && *governor == "performance";
  }
  auto parts = describe(governors);
  if (!without.empty()) parts.push_back("no cpufreq on " + format_cpu_list(without));
  if (!all_performance)
    return judged(check, joined(parts, "; "), Status::NotFit,
                  processors.pinned ? "sudo cpupower -c " + std::to_string(*processors.pinned) +
                                          " frequency-set -g performance"
                                    : "sudo cpupower frequency-set -g performance");
  // Typical of virtual machines, where the host sets the clock.
  if (governors.empty())
    return unknown_because(
        check, "no cpufreq for " + name_processors(without) + " (the host or the firmware sets the clock)");
  return judged(check, joined(parts, "; "), without.empty() ? Status::Fit : Status::Unknown);
}

// Boost lifts the clock above its nominal rate only while power and heat
// allow, so the same code gets a different clock from run to run.
// Per-processor switches are what applies where they exist (the global one
// only sets them all); then the global one; then intel_pstate's no_turbo.
MachineCheck boost_check(const LinuxTree& tree, const Processors& processors) {
  const MachineCheck check{"boost", "turbo/boost", {}, Status::Unknown, {}};
  constexpr auto global_off = "echo 0 | sudo tee /sys/devices/system/cpu/cpufreq/boost";
  std::optional<bool> on;
  std::string advice;

  const auto cpus = processors.used();
  Groups per_processor;
  bool every_processor_has_one = cpus.has_value();
  for (const int cpu : cpus.value_or(std::vector<int>{})) {
    const auto value = switch_value(tree.processor_file(cpu, "cpufreq/boost"));
    if (value)
      per_processor[*value ? "1" : "0"].push_back(cpu);
    else
      every_processor_has_one = false;
  }
  auto parts = describe(per_processor, "boost ");
  if (every_processor_has_one && !per_processor.empty()) {
    on = per_processor.count("1") > 0;
    advice = processors.pinned ? "echo 0 | sudo tee /sys/devices/system/cpu/cpu" +
                                     std::to_string(*processors.pinned) + "/cpufreq/boost"
                               : global_off;
  }

  const auto global = switch_value(tree.cpu_file("cpufreq/boost"));
  if (global) {
    parts.push_back(std::string("cpufreq/boost ") + (*global ? "1" : "0"));
    if (!on) {
      on = global;
      advice = global_off;
    }
  }
  const auto no_turbo = switch_value(tree.cpu_file("intel_pstate/no_turbo"));
  if (no_turbo) {
    parts.push_back(std::string("intel_pstate/no_turbo ") + (*no_turbo ? "1" : "0"));
    if (!on) {
      on = !*no_turbo;
      advice = "echo 1 | sudo tee /sys/devices/system/cpu/intel_pstate/no_turbo";
    }
  }
  const auto amd_pstate = tree.cpu_file("amd_pstate/status");
  if (amd_pstate) parts.push_back("amd-pstate " + escape(*amd_pstate));

  if (on)
    return judged(check, std::string(*on ? "on" : "off") + " (" + joined(parts, "; ") + ")",
                  *on ? Status::NotFit : Status::Fit, *on ? advice : "");
  // Before Linux 6.11 amd-pstate's active mode had no boost switch at all.
  if (amd_pstate)
    return judged(
        check,
        "unknown: amd-pstate " + escape(*amd_pstate) +
            " shows no boost switch; the processor boosts as its firmware allows",
        Status::Unknown,
        "turn Core Performance Boost off in the firmware setup, or boot with amd_pstate=passive and run " +
            std::string(global_off));
  return unknown_because(
      check,
      "no intel_pstate/no_turbo, cpufreq/boost or per-processor boost (the host or the firmware decides)");
}

}  // namespace callbench
