// Pinning that must fail cleanly, the priority a root user may raise, and
// where the benchmark is looked for when no command is given.
#include <gtest/gtest.h>

#include <stdexcept>

#ifndef _WIN32
#include <unistd.h>

#include <filesystem>
#include <fstream>
#endif

#include "system/default_command.hpp"
#include "system/host.hpp"

namespace callbench {
namespace {

TEST(Host, PinningToAProcessorThatIsNotThereFailsCleanly) {
  for (const int cpu : {-1, processor_count() + 64, 4096}) {
    try {
      pin_to_processor(cpu);
      ADD_FAILURE() << "pinned to processor " << cpu;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("processor " + std::to_string(cpu) + " does not exist (", 0), 0u)
          << e.what();
    }
  }
}

#ifndef _WIN32
TEST(Host, RootMayRaiseThePriority) {
  if (::geteuid() != 0) GTEST_SKIP() << "not root";
  const auto priority = priority_raise();
  EXPECT_EQ(priority.raise, Priority::Raise::Effective);
  EXPECT_EQ(priority.detail, "root");
}

// In a bundle the benchmark lies beside the tool; in a build tree it is the
// linux-i386 build beside the host build. (On Windows it always lies beside:
// the Windows tests run callbench-report.exe without a command.)
TEST(Host, TheDefaultBenchmarkIsTheBundledOneElseTheLinuxBuildBeside) {
  const auto root = std::filesystem::temp_directory_path() / ("callbench-layout-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "host");
  const std::string tool = (root / "host" / "callbench-report").string();
  EXPECT_EQ(program_beside(tool), (root / "linux-i386" / "callbench").string());
  std::ofstream(root / "host" / "callbench") << "";
  EXPECT_EQ(program_beside(tool), (root / "host" / "callbench").string());
  std::filesystem::remove_all(root);
}
#endif

}  // namespace
}  // namespace callbench
