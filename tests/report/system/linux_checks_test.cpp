// The Linux machine checks against fixture trees of /sys and /proc: what each
// reading means, and that a missing file is unknown, never an exception.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>

#include "system/files.hpp"
#include "system/machine_check_reading.hpp"
#include "system/machine_check_reading_linux.hpp"

namespace callbench {
namespace {

namespace fs = std::filesystem;
using Status = MachineCheck::Status;
using Files = std::map<std::string, std::string>;

constexpr auto kMissing = "<missing>";
constexpr auto kCpu = "/sys/devices/system/cpu/";

// /proc/stat 100 ticks after a first sample of 1000 busy and 1000 idle ticks
// per processor, each processor busy for the given share of them.
std::string proc_stat(const std::vector<int>& busy_percent) {
  std::string text = "cpu  0 0 0 0 0 0 0 0 0 0\n";
  for (std::size_t cpu = 0; cpu < busy_percent.size(); ++cpu)
    text += "cpu" + std::to_string(cpu) + " " + std::to_string(1000 + busy_percent[cpu]) + " 0 0 " +
            std::to_string(1000 + 100 - busy_percent[cpu]) + " 0 0 0 0 0 0\n";
  return text + "intr 12345 0 0\n";
}
const std::string kFirstProcStat =
    "cpu  0 0 0 0 0 0 0 0 0 0\n"
    "cpu0 1000 0 0 1000 0 0 0 0 0 0\ncpu1 1000 0 0 1000 0 0 0 0 0 0\n"
    "cpu2 1000 0 0 1000 0 0 0 0 0 0\ncpu3 1000 0 0 1000 0 0 0 0 0 0\n";

// Four processors online, 0 and 2 one core, 1 and 3 another; no cpufreq, no
// boost switch, nothing isolated, idle: a virtual machine's /sys.
Files base_machine() {
  return {
      {std::string(kCpu) + "online", "0-3\n"},
      {std::string(kCpu) + "cpu0/topology/thread_siblings_list", "0,2\n"},
      {std::string(kCpu) + "cpu1/topology/thread_siblings_list", "1,3\n"},
      {std::string(kCpu) + "cpu2/topology/thread_siblings_list", "0,2\n"},
      {std::string(kCpu) + "cpu3/topology/thread_siblings_list", "1,3\n"},
      {std::string(kCpu) + "isolated", "\n"},
      {"/proc/loadavg", "0.10 0.20 0.30 1/100 123\n"},
      {"/proc/stat", kFirstProcStat},
      {"/proc/stat later", proc_stat({0, 0, 0, 0})},
  };
}

class FixtureTree {
 public:
  FixtureTree() {
    char name[] = "/tmp/callbench-checks-XXXXXX";
    if (!::mkdtemp(name)) throw std::runtime_error("mkdtemp failed");
    root_ = name;
  }
  ~FixtureTree() { fs::remove_all(root_); }
  const std::string& root() const { return root_; }

  void write(const std::string& path, const std::string& text) const {
    fs::create_directories(fs::path(root_ + path).parent_path());
    std::ofstream(root_ + path, std::ios::binary) << text;
  }

 private:
  std::string root_;
};

std::vector<MachineCheck> check(const Files& changes, std::optional<int> pinned) {
  Files files = base_machine();
  for (const auto& [path, text] : changes) files[path] = text;
  FixtureTree tree;
  for (const auto& [path, text] : files)
    if (text != kMissing && path != "/proc/stat later") tree.write(path, text);
  LinuxMachine machine;
  machine.root = tree.root();
  machine.pinned_cpu = pinned;
  machine.between_samples = [&] { tree.write("/proc/stat", files["/proc/stat later"]); };
  return check_linux_machine(machine);
}

MachineCheck find(const std::vector<MachineCheck>& checks, const std::string& key) {
  for (const auto& check : checks)
    if (check.key == key) return check;
  ADD_FAILURE() << "no check " << key;
  return {};
}

struct Case {
  const char* name;
  Files files;
  std::optional<int> pinned;
  const char* key;
  Status status;
  const char* value;   // part of the value
  const char* advice;  // part of the advice; "" for none
};

std::string cpu(int n, const std::string& file) {
  return std::string(kCpu) + "cpu" + std::to_string(n) + "/" + file;
}

Files governors(const char* governor_of_1, const char* driver) {
  Files files;
  for (int n = 0; n < 4; ++n) {
    files[cpu(n, "cpufreq/scaling_governor")] = n == 1 ? governor_of_1 : "performance";
    files[cpu(n, "cpufreq/scaling_driver")] = driver;
  }
  return files;
}

Files per_processor_boost(const char* boost_of_2, Files files = {}) {
  for (int n = 0; n < 4; ++n) files[cpu(n, "cpufreq/boost")] = n == 2 ? boost_of_2 : "0";
  return files;
}

Files single(const std::string& path, const std::string& text) {
  return {{path, text}};
}

const Case kCases[] = {
    {"governor performance", governors("performance\n", "acpi-cpufreq\n"), std::nullopt, "governor",
     Status::Fit, "performance (acpi-cpufreq) on 0-3", ""},
    {"governor powersave", governors("powersave\n", "intel_pstate\n"), std::nullopt, "governor", Status::NotFit,
     "powersave (intel_pstate) on 1", "sudo cpupower frequency-set -g performance"},
    {"governor of the pinned processor only", governors("powersave", "intel_pstate"), 2, "governor",
     Status::Fit, "performance (intel_pstate) on 2", ""},
    {"no cpufreq", {}, std::nullopt, "governor", Status::Unknown, "unknown: no cpufreq for processors 0-3", ""},
    {"no cpufreq on one processor used",
     [] {
       auto files = governors("performance", "acpi-cpufreq");
       files[cpu(3, "cpufreq/scaling_governor")] = kMissing;
       return files;
     }(),
     std::nullopt, "governor", Status::Unknown, "performance (acpi-cpufreq) on 0-2; no cpufreq on 3", ""},

    {"intel turbo on", single(std::string(kCpu) + "intel_pstate/no_turbo", "0\n"), std::nullopt, "boost",
     Status::NotFit, "on (intel_pstate/no_turbo 0)",
     "echo 1 | sudo tee /sys/devices/system/cpu/intel_pstate/no_turbo"},
    {"intel turbo off", single(std::string(kCpu) + "intel_pstate/no_turbo", "1\n"), std::nullopt, "boost",
     Status::Fit, "off (intel_pstate/no_turbo 1)", ""},
    {"cpufreq boost on", single(std::string(kCpu) + "cpufreq/boost", "1\n"), std::nullopt, "boost",
     Status::NotFit, "on (cpufreq/boost 1)", "echo 0 | sudo tee /sys/devices/system/cpu/cpufreq/boost"},
    {"cpufreq boost off", single(std::string(kCpu) + "cpufreq/boost", "0\n"), std::nullopt, "boost",
     Status::Fit, "off (cpufreq/boost 0)", ""},
    {"per-processor boost off overrides the global switch",
     per_processor_boost("0", single(std::string(kCpu) + "cpufreq/boost", "1")), std::nullopt, "boost",
     Status::Fit, "off (boost 0 on 0-3; cpufreq/boost 1)", ""},
    {"pinned processor's boost on", per_processor_boost("1"), 2, "boost", Status::NotFit, "on (boost 1 on 2)",
     "echo 0 | sudo tee /sys/devices/system/cpu/cpu2/cpufreq/boost"},
    {"another processor's boost on", per_processor_boost("1"), 1, "boost", Status::Fit, "off (boost 0 on 1)",
     ""},
    {"amd-pstate active without a switch", single(std::string(kCpu) + "amd_pstate/status", "active\n"),
     std::nullopt, "boost", Status::Unknown, "unknown: amd-pstate active", "amd_pstate=passive"},
    {"amd-pstate active with boost off",
     {{std::string(kCpu) + "amd_pstate/status", "active\n"}, {std::string(kCpu) + "cpufreq/boost", "0\n"}},
     std::nullopt,
     "boost",
     Status::Fit,
     "off (cpufreq/boost 0; amd-pstate active)",
     ""},
    {"no boost switch", {}, std::nullopt, "boost", Status::Unknown, "unknown: no intel_pstate/no_turbo", ""},

    {"not pinned, cores shared",
     {},
     std::nullopt,
     "smt_sibling",
     Status::Unknown,
     "unknown: runs not pinned, and processors 0-3 share a core",
     "--cpu N"},
    {"not pinned, no SMT",
     {{cpu(0, "topology/thread_siblings_list"), "0"},
      {cpu(1, "topology/thread_siblings_list"), "1"},
      {cpu(2, "topology/thread_siblings_list"), "2"},
      {cpu(3, "topology/thread_siblings_list"), "3"}},
     std::nullopt,
     "smt_sibling",
     Status::Fit,
     "none: every processor has its core to itself",
     ""},
    {"pinned, sibling busy", single("/proc/stat later", proc_stat({5, 0, 90, 0})), 0, "smt_sibling",
     Status::NotFit, "processor 0 shares its core with 2 (90% busy)", "--cpu 1, whose core is idle"},
    {"pinned, sibling idle", single("/proc/stat later", proc_stat({0, 80, 5, 80})), 0, "smt_sibling",
     Status::Fit, "with 2 (5% busy)", ""},
    // Busy is more than a fifth of the time; a core at a fifth is quiet enough to advise.
    {"pinned, sibling at the busy threshold", single("/proc/stat later", proc_stat({0, 80, 20, 80})), 0,
     "smt_sibling", Status::Fit, "with 2 (20% busy)", ""},
    {"pinned, another core at the busy threshold", single("/proc/stat later", proc_stat({5, 20, 90, 20})), 0,
     "smt_sibling", Status::NotFit, "with 2 (90% busy)", "--cpu 1, whose core is idle"},
    {"pinned, no /proc/stat", single("/proc/stat", kMissing), 0, "smt_sibling", Status::Unknown,
     "unknown: ", ""},
    {"pinned, sibling offline", single("/proc/stat later", proc_stat({0, 0})), 0, "smt_sibling",
     Status::Unknown, "2 (not seen in /proc/stat)", ""},

    {"pinned inside the isolated", single(std::string(kCpu) + "isolated", "2-3\n"), 2, "isolated_processors",
     Status::Fit, "processor 2 is one (isolated 2-3, nohz_full none)", ""},
    {"pinned outside the isolated",
     {{std::string(kCpu) + "isolated", "2-3\n"}, {std::string(kCpu) + "nohz_full", "2-3\n"}},
     0,
     "isolated_processors",
     Status::NotFit,
     "processor 0 is not one (isolated 2-3, nohz_full 2-3)",
     "--cpu 2"},
    {"not pinned, some isolated", single(std::string(kCpu) + "isolated", "3"), std::nullopt,
     "isolated_processors", Status::NotFit, "runs not pinned", "--cpu 3"},
    {"none isolated", {}, 1, "isolated_processors", Status::Note, "none", "isolcpus="},

    {"idle",
     {},
     std::nullopt,
     "load",
     Status::Fit,
     "0.10 0.20 0.30 over 1, 5, 15 minutes, on 4 processors",
     ""},
    {"some load", single("/proc/loadavg", "1.50 1.00 1.00 2/100 123"), std::nullopt, "load", Status::Note,
     "1.50", "--cpu N"},
    {"every processor busy", single("/proc/loadavg", "4.00 4.00 4.00 5/100 123"), std::nullopt, "load",
     Status::NotFit, "4.00", "wait for the machine to be idle"},
    // The last minute's load decides: it is what the runs would meet.
    {"busy in the last minute only", single("/proc/loadavg", "4.00 0.30 0.10 5/100 123"), std::nullopt, "load",
     Status::NotFit, "4.00 0.30 0.10 over", "wait for the machine to be idle"},
    {"busy until a minute ago", single("/proc/loadavg", "0.10 4.00 4.00 1/100 123"), std::nullopt, "load",
     Status::Fit, "0.10 4.00 4.00 over", ""},
    {"load without an online list", single(std::string(kCpu) + "online", kMissing), std::nullopt, "load",
     Status::Unknown, "0.10 0.20 0.30 (processor count unknown: ", ""},
};

class LinuxChecks : public testing::TestWithParam<Case> {};

TEST_P(LinuxChecks, ReadTheTree) {
  const Case& c = GetParam();
  const auto result = find(check(c.files, c.pinned), c.key);
  EXPECT_EQ(status_name(result.status), std::string(status_name(c.status))) << result.value;
  EXPECT_NE(result.value.find(c.value), std::string::npos) << result.value;
  if (*c.advice == '\0')
    EXPECT_EQ(result.advice, "");
  else
    EXPECT_NE(result.advice.find(c.advice), std::string::npos) << result.advice;
}

INSTANTIATE_TEST_SUITE_P(Cases, LinuxChecks, testing::ValuesIn(kCases), [](const auto& info) {
  std::string name = info.param.name;
  for (auto& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

// A container without /sys or /proc: every reading unknown, and says why.
TEST(LinuxChecks, AnEmptyTreeLeavesEveryReadingUnknown) {
  for (const std::optional<int> pinned : {std::optional<int>(), std::optional<int>(1)}) {
    FixtureTree empty;
    LinuxMachine machine;
    machine.root = empty.root();
    machine.pinned_cpu = pinned;
    const auto checks = check_linux_machine(machine);
    ASSERT_EQ(checks.size(), 7u);
    for (const auto& check : checks) {
      if (check.key == "hypervisor" || check.key == "priority") continue;
      EXPECT_EQ(check.status, Status::Unknown) << check.key << ": " << check.value;
      EXPECT_EQ(check.value.rfind("unknown: ", 0), 0u) << check.key << ": " << check.value;
    }
  }
}

// This machine, whatever it is: every check answers in the agreed form.
TEST(LinuxChecks, ThisMachineAnswersEveryCheck) {
  for (const std::optional<int> pinned : {std::optional<int>(), std::optional<int>(0)}) {
    const auto checks = check_this_machine(pinned);
    ASSERT_EQ(checks.size(), 7u);
    for (const auto& check : checks) {
      EXPECT_FALSE(check.title.empty()) << check.key;
      if (check.status == Status::Unknown) {
        EXPECT_EQ(check.value.rfind("unknown", 0), 0u) << check.value;
      } else if (check.status == Status::NotFit) {
        EXPECT_FALSE(check.advice.empty()) << check.key;
      } else if (check.status == Status::Fit) {
        EXPECT_EQ(check.advice, "") << check.key;
      }
    }
  }
}

// CPUID's hypervisor bit is what the kernel shows as the "hypervisor" flag.
TEST(LinuxChecks, TheHypervisorBitAgreesWithTheKernel) {
  const std::string cpuinfo = read_regular_file("/proc/cpuinfo");
  const auto flags = cpuinfo.find("\nflags");
  ASSERT_NE(flags, std::string::npos);
  const std::string line = cpuinfo.substr(flags, cpuinfo.find('\n', flags + 1) - flags) + " ";
  const bool kernel_says = line.find(" hypervisor ") != std::string::npos;
  const auto check = find(check_this_machine(std::nullopt), "hypervisor");
  EXPECT_EQ(check.status, kernel_says ? Status::Note : Status::Fit) << check.value;
}

}  // namespace
}  // namespace callbench
