// The stack check: a variant that ends with ESP off by 4 shows the notice
// and still runs and exits as usual.
#include <gtest/gtest.h>

#include <tuple>

#include "expected_output.h"
#include "program_image.h"
#include "programs.h"
#include "traces.h"

namespace callbench_test {
namespace {

const char* const kCaption = "Problem with stack";

// ESP below its entry value means more was pushed than popped: a positive figure.
std::string NoticeText(Variant variant) {
  return variant == Variant::kStackBelow ? "4" : "-4";
}

class StackCheckTest : public testing::TestWithParam<std::tuple<Platform, Variant>> {};

TEST_P(StackCheckTest, ShowsTheImbalanceAndCarriesOn) {
  const auto [platform, variant] = GetParam();
  const Program program{platform, variant};
  // On Windows the notice is a message box: seen only in Wine's relay log.
  TemporaryPath relay_log("relay", TemporaryPath::kFile);
  Launch options = program.Options({}, "+relay");
  if (platform == Platform::kWindows) options.err_path = relay_log.str();
  const Ended run = callbench::launch(options);

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadBenchmarkOutput(run.out).mismatch, "");
  if (platform == Platform::kLinux) {
    EXPECT_EQ(run.err, std::string(kCaption) + ": " + NoticeText(variant) + "\n");
    return;
  }
  std::vector<RelayCall> boxes;
  for (const RelayCall& call : ProgramRelayCalls(relay_log.str(), ProgramImage(program.Path()).CallSites())) {
    if (call.function == "MessageBoxA") boxes.push_back(call);
  }
  ASSERT_EQ(boxes.size(), 1u);
  const std::vector<std::string>& args = boxes[0].args;
  ASSERT_EQ(args.size(), 4u);
  EXPECT_EQ(args[0], "00000000");  // no owner window
  EXPECT_EQ(QuotedText(args[1]), NoticeText(variant)) << args[1];
  EXPECT_EQ(QuotedText(args[2]), kCaption) << args[2];
  EXPECT_EQ(args[3], "00000000");  // MB_OK
}

std::string TestName(const testing::TestParamInfo<std::tuple<Platform, Variant>>& info) {
  const auto [platform, variant] = info.param;
  return Program{platform, variant}.Name();
}

INSTANTIATE_TEST_SUITE_P(Variants, StackCheckTest,
                         testing::Combine(testing::ValuesIn(BothPlatforms()),
                                          testing::Values(Variant::kStackBelow, Variant::kStackAbove)),
                         TestName);

}  // namespace
}  // namespace callbench_test
