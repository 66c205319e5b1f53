#include "system/shared_checks.hpp"

#include "core/text.hpp"

namespace callbench {
namespace {

using Status = MachineCheck::Status;

struct Named {
  const char* key;
  const char* name;
};

// CPUID 0x40000000 signatures, EBX ECX EDX, as the hypervisors write them.
constexpr Named kHypervisors[] = {
    {"KVMKVMKVM", "KVM"},
    {"Linux KVM Hv", "KVM (Hyper-V compatible)"},
    {"Microsoft Hv", "Hyper-V"},
    {"VMwareVMware", "VMware"},
    {"XenVMMXenVMM", "Xen"},
    {"VBoxVBoxVBox", "VirtualBox"},
    {"TCGTCGTCGTCG", "QEMU (emulated)"},
    {"bhyve bhyve ", "bhyve"},
    {"ACRNACRNACRN", "ACRN"},
    {" lrpepyh  vr", "Parallels"},
    {"QNXQVMBSQG", "QNX"},
};

// Windows' own plans, by the GUIDs every installation gives them.
constexpr Named kHighPerformancePlans[] = {
    {"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", "High performance"},
    {"e9a42b02-d5df-448d-aa00-03f14749eb61", "Ultimate Performance"},
};
constexpr Named kSavingPlans[] = {
    {"381b4222-f694-41f0-9685-ff5bb260df2e", "Balanced"},
    {"a1841308-3541-4fab-bc81-f71556f20b4a", "Power saver"},
};

template <std::size_t N>
const char* find_name(const Named (&table)[N], const std::string& key) {
  for (const auto& entry : table)
    if (key == entry.key) return entry.name;
  return nullptr;
}

}  // namespace

// A guest's clock, caches and cores are shared with other guests the user
// cannot see or stop, so this is a note rather than something to fix.
MachineCheck hypervisor_check(const Hypervisor& hypervisor) {
  constexpr auto key = "hypervisor";
  constexpr auto title = "hypervisor";
  if (!hypervisor.present) return {key, title, "none (CPUID hypervisor bit clear)", Status::Fit, {}};
  std::string value;
  if (hypervisor.signature.empty())
    value = "present, no vendor signature";
  else if (const char* name = find_name(kHypervisors, hypervisor.signature))
    value = std::string(name) + " (" + quote(hypervisor.signature) + ")";
  else
    value = "present, signature " + quote(hypervisor.signature);
  return {key, title, value, Status::Note,
          "other guests share the host: run more, and compare interleaved (-- A --vs B)"};
}

// Without the raise every other task of normal priority competes with the
// measurement, and the user can grant it.
MachineCheck priority_check(const Priority& priority, const std::string& advice) {
  constexpr auto key = "priority";
  constexpr auto title = "priority raise";
  const auto with_detail = [&](std::string what) {
    return priority.detail.empty() ? what : what + " (" + priority.detail + ")";
  };
  switch (priority.raise) {
    case Priority::Raise::Effective:
      return {key, title, with_detail("takes effect"), Status::Fit, {}};
    case Priority::Raise::NotPermitted:
      return {key, title, with_detail("not permitted"), Status::NotFit, advice};
    case Priority::Raise::Unknown:
      break;
  }
  return {key, title, with_detail("unknown: cannot tell whether it takes effect"), Status::Unknown, advice};
}

// Balanced and Power saver let Windows lower the clock between bursts and
// park cores; only the two performance plans hold it up. A plan of the
// user's own may do either, so it stays unknown.
MachineCheck power_scheme_check(const std::string& guid, const std::string& friendly_name) {
  constexpr auto key = "power_scheme";
  constexpr auto title = "power plan";
  constexpr auto advice = "powercfg /setactive SCHEME_MIN (High performance)";
  if (const char* name = find_name(kHighPerformancePlans, guid)) return {key, title, name, Status::Fit, {}};
  if (const char* name = find_name(kSavingPlans, guid)) return {key, title, name, Status::NotFit, advice};
  const std::string name = friendly_name.empty() ? "a plan of its own" : quote(friendly_name);
  return {key, title, "unknown: " + name + " {" + guid + "}, not one of Windows' own", Status::Unknown, advice};
}

// Under Wine the Linux host's governor, boost and scheduler decide, which
// the Windows checks cannot see; nothing to fix, but the Linux checks apply.
MachineCheck wine_check(const std::optional<std::string>& version, const std::string& host_system) {
  constexpr auto key = "wine";
  constexpr auto title = "Wine";
  if (!version) return {key, title, "not under Wine", Status::Fit, {}};
  std::string value = escape(*version);
  if (!host_system.empty()) value += " on " + escape(host_system);
  return {key, title, value, Status::Note,
          "the Linux host sets the clock and schedules the runs: check it with the Linux build of "
          "callbench-report"};
}

}  // namespace callbench
