// The platform operations of one run, in order, as the system saw them:
// strace on Linux, Wine's relay log on Windows. The traced run is of the
// shipped program, so no stack notice may appear either.
#include <gtest/gtest.h>

#include <algorithm>

#include "expected_output.h"
#include "program_image.h"
#include "programs.h"
#include "traces.h"

namespace callbench_test {
namespace {

// One event a line, so that a mismatch shows as a diff.
std::string Lines(const std::vector<std::string>& events) {
  std::string text;
  for (const std::string& event : events) text += event + "\n";
  return text;
}

class PlatformCallsTest : public testing::TestWithParam<Platform> {};

TEST_P(PlatformCallsTest, PauseThenPriorityUpAndDownBeforeEachLineThenSizesThenExit) {
  const Program program{GetParam(), Variant::kShipped};
  TemporaryPath log("trace", TemporaryPath::kFile);
  Launch options = program.Options({}, "+relay");
  if (program.platform == Platform::kLinux) {
    options.command.insert(options.command.begin(),
                           {"strace", "-f", "-o", log.str(), "-e",
                            "trace=nanosleep,setpriority,write,clock_nanosleep,exit_group,rt_sigaction"});
  } else {
    options.err_path = log.str();
  }
  const Ended run = callbench::launch(options);
  ASSERT_EQ(run.status, 0) << run.err;
  const BenchmarkOutput output = ReadBenchmarkOutput(run.out);
  ASSERT_EQ(output.mismatch, "");

  std::vector<std::string> events;
  if (program.platform == Platform::kLinux) {
    events = StraceEvents(file_text(log.str()));
    // Set up on first use: before anything is written, and only then.
    const auto ignore = std::find(events.begin(), events.end(), "ignore SIGPIPE");
    ASSERT_NE(ignore, events.end());
    const auto first_write = std::find_if(events.begin(), events.end(),
                                          [](const std::string& e) { return e.rfind("write", 0) == 0; });
    EXPECT_LT(ignore, first_write);
    events.erase(ignore);
  } else {
    events = RelayEvents(ProgramRelayCalls(log.str(), ProgramImage(program.Path()).CallSites()));
  }
  EXPECT_EQ(Lines(events), Lines(ExpectedEvents(output.figures)));
}

INSTANTIATE_TEST_SUITE_P(Programs, PlatformCallsTest, testing::ValuesIn(BothPlatforms()),
                         [](const auto& info) { return PlatformName(info.param); });

}  // namespace
}  // namespace callbench_test
