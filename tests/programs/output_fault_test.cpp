// Standard output that cannot be written: the run still finishes normally.
#include <gtest/gtest.h>

#include <tuple>

#include "programs.h"

namespace callbench_test {
namespace {

struct Fault {
  const char* name;
  OutputMode mode;
  const char* path;
};

const Fault kFaults[] = {
    {"stdout_closed", OutputMode::kClosed, ""},
    {"stdout_device_full", OutputMode::kFile, "/dev/full"},
    {"stdout_reader_gone_after_one_byte", OutputMode::kReadOneByteThenClose, ""},
};

void PrintTo(const Fault& value, std::ostream* out) {
  *out << value.name;
}

class OutputFaultTest : public testing::TestWithParam<std::tuple<Platform, Fault>> {};

TEST_P(OutputFaultTest, RunEndsWithExitCodeZero) {
  const auto& [platform, fault] = GetParam();
  ProcessOptions options = Program{platform, Variant::kShipped}.Options();
  options.output = fault.mode;
  options.output_path = fault.path;
  const ProcessResult run = RunProcess(options);
  // Not killed (SIGPIPE, SIGSEGV), no crash exit code: a plain 0.
  EXPECT_TRUE(run.ExitedWith(0)) << run.Describe() << "\n" << run.err;
  if (fault.mode == OutputMode::kReadOneByteThenClose) {
    EXPECT_EQ(run.out.size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, OutputFaultTest,
                         testing::Combine(testing::ValuesIn(BothPlatforms()), testing::ValuesIn(kFaults)),
                         PlatformAndCaseName());

}  // namespace
}  // namespace callbench_test
