// The Windows machine checks answer on whatever runs them, Wine included.
#include <windows.h>

#include <gtest/gtest.h>

#include "system/machine_check_reading.hpp"

namespace callbench {
namespace {

using Status = MachineCheck::Status;

bool under_wine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

TEST(WindowsMachineChecks, AnswerEveryCheck) {
  const auto checks = check_this_machine(0);
  std::vector<std::string> keys;
  for (const auto& check : checks) {
    keys.push_back(check.key);
    EXPECT_FALSE(check.value.empty()) << check.key;
    if (check.status == Status::Unknown) EXPECT_EQ(check.value.rfind("unknown: ", 0), 0u) << check.value;
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"power_scheme", "priority", "hypervisor", "wine"}));

  const MachineCheck& power = checks[0];
  const MachineCheck& wine = checks[3];
  if (under_wine()) {
    // Wine 8 does not implement PowerGetActiveScheme; where it does, what it
    // says stands for nothing. Either way the plan is unknown.
    EXPECT_EQ(power.status, Status::Unknown);
    EXPECT_EQ(power.value.rfind("unknown: ", 0), 0u) << power.value;
    EXPECT_EQ(wine.status, Status::Note);
    EXPECT_NE(wine.value, "not under Wine");
    EXPECT_EQ(checks[1].status, Status::Unknown) << checks[1].value;
  } else {
    EXPECT_EQ(wine.status, Status::Fit);
    EXPECT_NE(checks[1].status, Status::Unknown) << checks[1].value;
  }
}

}  // namespace
}  // namespace callbench
