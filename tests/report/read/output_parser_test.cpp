#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "benchmark_output.h"
#include "read/output_check.hpp"
#include "read/output_parser.hpp"

namespace callbench {
namespace {

const std::string& kGood = benchmark_output::kSample;
const std::string kSizes = benchmark_output::sizes_text(benchmark_output::kSizes);
const auto replace = benchmark_output::replace_first;

TEST(Parse, GoodOutput) {
  const auto parsed = parse_output(kGood);
  ASSERT_TRUE(std::holds_alternative<RunOutput>(parsed)) << describe(std::get<ParseError>(parsed));
  const auto& out = std::get<RunOutput>(parsed);
  EXPECT_EQ(out.figures[0], (Sweep{1, 2, 3, 4}));
  EXPECT_EQ(out.figures[1], (Sweep{0, -5, 2147483647, -2147483647 - 1}));
  EXPECT_EQ(out.figures[2][3], 40);
  EXPECT_EQ(out.sizes, (Sizes{7, 15, 13, 16}));
  const auto largest = parse_output(replace(kGood, "\t15\r", "\t2147483647\r"));
  ASSERT_TRUE(std::holds_alternative<RunOutput>(largest)) << describe(std::get<ParseError>(largest));
  EXPECT_EQ(std::get<RunOutput>(largest).sizes[1], 2147483647);
}

struct Malformed {
  const char* what;
  std::string output;
  int line;
  std::string message;  // part of the description
};

TEST(Parse, MalformedOutputNamesLineExpectedAndGot) {
  const std::string two_sweeps =
      benchmark_output::sweep_text(Sweep{1, 2, 3, 4}) + benchmark_output::sweep_text(Sweep{1, 2, 3, 4});
  const Malformed cases[] = {
      {"empty", "", 1, "got end of output"},
      {"missing line", replace(kGood, "3\tmillicycles for TheOne\r\n", ""), 3,
       R"(expected "<figure>\tmillicycles for TheOne\r\n", got "4\tmillicycles for TestWithFrame\r\n")"},
      {"other label", replace(kGood, "for TestNoFrameB", "for TestNoFrameC"), 2,
       R"(got "2\tmillicycles for TestNoFrameC\r\n")"},
      {"missing CR", replace(kGood, "1\tmillicycles for TestNoFrameA\r\n", "1\tmillicycles for TestNoFrameA\n"),
       1, R"(got "1\tmillicycles for TestNoFrameA\n")"},
      {"CR on the empty line", replace(kGood, "TestWithFrame\r\n\n", "TestWithFrame\r\n\r\n"), 5,
       R"(expected an empty line "\n", got "\r\n")"},
      {"missing empty line", replace(kGood, "TestWithFrame\r\n\n", "TestWithFrame\r\n"), 5,
       R"(expected an empty line "\n", got "0\tmillicycles)"},
      {"missing final LF", kGood.substr(0, kGood.size() - 1), 19,
       R"(expected "Size with frame: \t<size>\r\n", got "Size with frame: \t16\r")"},
      {"leading zero", replace(kGood, "10\t", "010\t"), 11,
       R"(expected a signed 32-bit decimal figure, got "010")"},
      {"past int32", replace(kGood, "2147483647", "2147483648"), 8, R"(got "2147483648")"},
      {"below int32", replace(kGood, "-2147483648", "-2147483649"), 9, R"(got "-2147483649")"},
      {"minus zero", replace(kGood, "\n0\t", "\n-0\t"), 6, R"(got "-0")"},
      {"plus sign", replace(kGood, "\n0\t", "\n+0\t"), 6, R"(got "+0")"},
      {"no figure", replace(kGood, "\n0\t", "\n\t"), 6, R"(figure, got "")"},
      {"space in figure", replace(kGood, "\n0\t", "\n 0\t"), 6, R"(got " 0")"},
      {"fourth sweep", two_sweeps + two_sweeps, 16,
       R"(expected "Size no frame A: \t<size>\r\n", got "1\tmillicycles)"},
      {"no size report", kGood.substr(0, kGood.size() - kSizes.size()), 16, "got end of output"},
      {"heading padding", replace(kGood, "Size TheOne:     \t", "Size TheOne:    \t"), 18,
       R"(got "Size TheOne:    \t13\r\n")"},
      {"size with leading zero", replace(kGood, "\t15\r", "\t015\r"), 17,
       R"(expected a size in bytes, got "015")"},
      {"negative size", replace(kGood, "\t15\r", "\t-15\r"), 17, R"(got "-15")"},
      {"extra line", kGood + "done\r\n", 20, R"(expected end of output, got "done\r\n")"},
      {"extra empty line", kGood + "\n", 20, R"(got "\n")"},
      {"control bytes", "\x1b[0m\x01\xff", 1, R"(got "\x1b[0m\x01\xff")"},
      {"a colon for a digit", replace(kGood, "\n10\t", "\n1:\t"), 11, R"(figure, got "1:")"},
      {"a size line ending in LF alone", replace(kGood, "\t16\r\n", "\t16\n"), 19,
       R"(expected "Size with frame: \t<size>\r\n", got "Size with frame: \t16\n")"},
      {"a colon in a size", replace(kGood, "\t15\r", "\t1:\r"), 17, R"(expected a size in bytes, got "1:")"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_output(c.output);
    const auto* error = std::get_if<ParseError>(&parsed);
    ASSERT_NE(error, nullptr) << c.what;
    EXPECT_EQ(error->line, c.line) << c.what;
    EXPECT_NE(describe(*error).find(c.message), std::string::npos) << c.what << ": " << describe(*error);
  }
}

// Every run of a command must repeat the sizes of its first valid one.
TEST(OutputChecker, SizesMustRepeatThoseOfTheFirstValidRun) {
  OutputChecker check;
  EXPECT_TRUE(std::holds_alternative<std::string>(check("garbage", 1)));
  EXPECT_TRUE(std::holds_alternative<RunOutput>(check(kGood, 2)));
  const auto other = check(replace(kGood, "\t13\r", "\t14\r"), 3);
  ASSERT_TRUE(std::holds_alternative<std::string>(other));
  EXPECT_EQ(std::get<std::string>(other),
            R"(line 18: expected "Size TheOne:     \t13\r\n" as in run 2, got "Size TheOne:     \t14\r\n")");
  EXPECT_TRUE(std::holds_alternative<RunOutput>(check(kGood, 4)));
}

}  // namespace
}  // namespace callbench
