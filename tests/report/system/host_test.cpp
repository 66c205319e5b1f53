// Pinning that must fail cleanly, and the priority a root user may raise.
#include <gtest/gtest.h>

#include <stdexcept>

#ifndef _WIN32
#include <unistd.h>
#endif

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
#endif

}  // namespace
}  // namespace callbench
