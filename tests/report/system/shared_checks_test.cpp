// What a reading means, the same on every system: processor lists,
// hypervisor signatures, Windows power plans, priority, Wine.
#include <gtest/gtest.h>

#include "system/cpu_list.hpp"
#include "system/shared_checks.hpp"

namespace callbench {
namespace {

using Status = MachineCheck::Status;

TEST(CpuList, ReadsAndWritesLinuxProcessorLists) {
  const struct {
    const char* text;
    std::optional<std::vector<int>> cpus;
    const char* written;
  } cases[] = {
      {"0-3,8,10-11\n", std::vector<int>{0, 1, 2, 3, 8, 10, 11}, "0-3,8,10-11"},
      {"5,1,2,2", std::vector<int>{1, 2, 5}, "1-2,5"},
      {"\n", std::vector<int>{}, ""},
      {"3-1", std::nullopt, ""},
      {"1,", std::nullopt, ""},
      {"0-x", std::nullopt, ""},
      {"-2", std::nullopt, ""},
      {"0-99999999", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    const auto cpus = parse_cpu_list(c.text);
    EXPECT_EQ(cpus, c.cpus) << c.text;
    if (cpus) {
      EXPECT_EQ(format_cpu_list(*cpus), c.written) << c.text;
    }
  }
  // Repeats of the largest range still make one bounded set.
  EXPECT_EQ(parse_cpu_list("0-65535,0-65535,0-65535").value_or(std::vector<int>{}).size(), 65536u);
}

struct Expected {
  const char* label;
  MachineCheck check;
  Status status;
  const char* value;
};

TEST(SharedChecks, JudgeWhatWasRead) {
  const Priority root{Priority::Raise::Effective, "root"};
  const Priority refused{Priority::Raise::NotPermitted, "not root"};
  const Expected cases[] = {
      {"bare metal", hypervisor_check({false, ""}), Status::Fit, "none (CPUID hypervisor bit clear)"},
      {"KVM", hypervisor_check({true, "KVMKVMKVM"}), Status::Note, "KVM (\"KVMKVMKVM\")"},
      {"Hyper-V", hypervisor_check({true, "Microsoft Hv"}), Status::Note, "Hyper-V"},
      {"a stranger", hypervisor_check({true, "Nobody\x01"}), Status::Note,
       "present, signature \"Nobody\\x01\""},
      {"priority raised", priority_check(root, "sudo"), Status::Fit, "takes effect (root)"},
      {"priority refused", priority_check(refused, "sudo"), Status::NotFit, "not permitted (not root)"},
      {"priority unknown", priority_check({}, "sudo"), Status::Unknown, "unknown: "},
      {"High performance", power_scheme_check("8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", "x"), Status::Fit,
       "High performance"},
      {"Ultimate", power_scheme_check("e9a42b02-d5df-448d-aa00-03f14749eb61", ""), Status::Fit,
       "Ultimate Performance"},
      {"Balanced", power_scheme_check("381b4222-f694-41f0-9685-ff5bb260df2e", ""), Status::NotFit, "Balanced"},
      {"Power saver", power_scheme_check("a1841308-3541-4fab-bc81-f71556f20b4a", ""), Status::NotFit,
       "Power saver"},
      {"own plan", power_scheme_check("01234567-89ab-cdef-0123-456789abcdef", "Gaming"), Status::Unknown,
       "unknown: \"Gaming\" {01234567-89ab-cdef-0123-456789abcdef}"},
      {"not Wine", wine_check(std::nullopt, ""), Status::Fit, "not under Wine"},
      {"Wine", wine_check(std::string("8.0"), "Linux 6.1.0"), Status::Note, "8.0 on Linux 6.1.0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.check.status, c.status) << c.label;
    EXPECT_EQ(c.check.value.rfind(c.value, 0), 0u) << c.label << ": " << c.check.value;
    EXPECT_EQ(c.check.advice.empty(), c.status == Status::Fit) << c.label << ": " << c.check.advice;
  }
}

}  // namespace
}  // namespace callbench
