#include <gtest/gtest.h>

#include "system/default_command.hpp"

namespace callbench {
namespace {

TEST(DefaultCommand, IsTheLinuxBuildBesideTheHostBuild) {
#ifdef _WIN32
  EXPECT_EQ(program_beside("C:\\callbench\\callbench-report.exe"), "C:\\callbench\\callbench.exe");
#else
  EXPECT_EQ(program_beside("/src/build/host/callbench-report"), "/src/build/linux-i386/callbench");
#endif
}

}  // namespace
}  // namespace callbench
