// Standard output that cannot be written: the run still finishes normally.
#include <gtest/gtest.h>

#include <tuple>

#include "programs.h"

namespace callbench_test {
namespace {

struct Fault {
  const char* name;
  Destination destination;
  const char* path;
};

const Fault kFaults[] = {
    {"stdout_closed", Destination::Closed, ""},
    {"stdout_device_full", Destination::File, "/dev/full"},
    {"stdout_reader_gone_after_one_byte", Destination::OneByteThenClosed, ""},
};

void PrintTo(const Fault& value, std::ostream* out) {
  *out << value.name;
}

class OutputFaultTest : public testing::TestWithParam<std::tuple<Platform, Fault>> {};

TEST_P(OutputFaultTest, RunEndsWithExitCodeZero) {
  const auto& [platform, fault] = GetParam();
  Launch options = Program{platform, Variant::kShipped}.Options();
  options.out = fault.destination;
  options.out_path = fault.path;
  const Ended run = callbench::launch(options);
  // Not killed (SIGPIPE, SIGSEGV), no crash exit code: a plain 0.
  EXPECT_EQ(run.status, 0) << run.err;
  if (fault.destination == Destination::OneByteThenClosed) {
    EXPECT_EQ(run.out.size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, OutputFaultTest,
                         testing::Combine(testing::ValuesIn(BothPlatforms()), testing::ValuesIn(kFaults)),
                         PlatformAndCaseName());

}  // namespace
}  // namespace callbench_test
