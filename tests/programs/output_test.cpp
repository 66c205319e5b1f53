// Standard output of a run, byte for byte, however the program is started.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <tuple>

#include "expected_output.h"
#include "programs.h"

namespace callbench_test {
namespace {

struct Invocation {
  const char* name;
  std::vector<std::string> arguments;
  Source input;
};

// Arguments and standard input are there to be ignored.
const Invocation kInvocations[] = {
    {"plain", {}, Source::Empty},
    {"with_arguments", {"--help", "/?", "-5", "TheOne"}, Source::Empty},
    {"stdin_from_file", {}, Source::File},
    {"stdin_from_pipe", {}, Source::Pipe},
};

void PrintTo(const Invocation& value, std::ostream* out) {
  *out << value.name;
}

class OutputTest : public testing::TestWithParam<std::tuple<Platform, Invocation>> {};

TEST_P(OutputTest, IsExactlyThreeSweepsThenTheSizeReport) {
  const auto& [platform, invocation] = GetParam();
  Launch options = Program{platform, Variant::kShipped}.Options(invocation.arguments);
  const std::string input = "q\n12345\r\nTestNoFrameA\n\x1a";
  TemporaryPath input_file("input", TemporaryPath::kFile);
  std::ofstream(input_file.str(), std::ios::binary) << input;
  options.in = invocation.input;
  options.input = invocation.input == Source::File ? input_file.str() : input;
  const Ended run = callbench::launch(options);

  EXPECT_EQ(run.status, 0);
  const BenchmarkOutput output = ReadBenchmarkOutput(run.out);
  EXPECT_EQ(output.mismatch, "") << "output: \"" << Escaped(run.out) << "\"";
  // Under Wine, standard error carries Wine's own messages.
  if (platform == Platform::kLinux) {
    EXPECT_EQ(run.err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, OutputTest,
                         testing::Combine(testing::ValuesIn(BothPlatforms()), testing::ValuesIn(kInvocations)),
                         PlatformAndCaseName());

// The reader above is what makes those runs count: near misses must fail it.
std::string GoodOutput(const std::string& first_figure) {
  std::vector<std::array<std::string, 4>> sweeps(output::kSweeps, {"-12", "-12", "-12", "-12"});
  sweeps[0][0] = first_figure;
  return output::output_text(sweeps);
}

TEST(ReadBenchmarkOutput, AcceptsEveryFigureFormAndRejectsNearMisses) {
  for (const char* figure : {"0", "7", "-1", "2147483647", "-2147483648", "1000000"}) {
    EXPECT_EQ(ReadBenchmarkOutput(GoodOutput(figure)).mismatch, "") << figure;
  }
  for (const char* figure : {"", "-", "-0", "007", "+5", "2147483648", "-2147483649", "1 ", "1.5"}) {
    EXPECT_NE(ReadBenchmarkOutput(GoodOutput(figure)).mismatch, "") << figure;
  }
  const std::string good = GoodOutput("5");
  const auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    return text.replace(text.find(from), from.size(), to);
  };
  const size_t size_report = good.find("Size");
  const std::string near_misses[] = {
      good + "\n",
      good.substr(0, good.size() - 1),
      good.substr(0, size_report) + good.substr(0, size_report / 3) + good.substr(size_report),
      replaced("\r\n\n", "\r\n"),
      replaced("\r\n", "\n"),
      replaced("TheOne:     ", "TheOne:    "),
      replaced("\t16", "\t17"),
      replaced("\tmillicycles for TheOne", "\tmillicycles for TestNoFrameA"),
  };
  for (const std::string& text : near_misses) {
    EXPECT_NE(ReadBenchmarkOutput(text).mismatch, "") << Escaped(text);
  }
}

}  // namespace
}  // namespace callbench_test
