// The host's facts as the report records them, and pinning that must fail cleanly.
#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "system/host.hpp"

namespace callbench {
namespace {

TEST(Host, DescribesTheTimeAndTheSystem) {
  EXPECT_TRUE(std::regex_match(utc_now(), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)"))) << utc_now();
  const auto os = os_description();
  ASSERT_TRUE(os);
#ifdef _WIN32
  EXPECT_TRUE(std::regex_match(*os, std::regex(R"((Wine \S+ \()?Windows \d+\.\d+\.\d+\)?)"))) << *os;
#else
  EXPECT_TRUE(std::regex_match(*os, std::regex(R"(Linux \S+( \(.+\))?)"))) << *os;
#endif
  EXPECT_TRUE(host_name());
}

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
