#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "read/output_parser.hpp"
#include "core/text.hpp"
#include "read/captures.hpp"
#include "run/session.hpp"

namespace callbench {
namespace {

std::string sweep(const char* a, const char* b, const char* c, const char* d) {
  return std::string(a) + "\tmillicycles for TestNoFrameA\r\n" + b +
         "\tmillicycles for TestNoFrameB\r\n" + c + "\tmillicycles for TheOne\r\n" + d +
         "\tmillicycles for TestWithFrame\r\n\n";
}

const std::string kSizes =
    "Size no frame A: \t7\r\nSize no frame B: \t15\r\nSize TheOne:     \t13\r\n"
    "Size with frame: \t16\r\n";
const std::string kGood = sweep("1", "2", "3", "4") + sweep("0", "-5", "2147483647", "-2147483648") +
                          sweep("10", "20", "30", "40") + kSizes;

std::string replace(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(Parse, GoodOutput) {
  const auto parsed = parse_output(kGood);
  ASSERT_TRUE(std::holds_alternative<RunOutput>(parsed)) << describe(std::get<ParseError>(parsed));
  const auto& out = std::get<RunOutput>(parsed);
  EXPECT_EQ(out.figures[0], (Sweep{1, 2, 3, 4}));
  EXPECT_EQ(out.figures[1], (Sweep{0, -5, 2147483647, -2147483647 - 1}));
  EXPECT_EQ(out.figures[2][3], 40);
  EXPECT_EQ(out.sizes, (Sizes{7, 15, 13, 16}));
}

struct Malformed {
  const char* what;
  std::string output;
  int line;
  std::string message;  // part of the description
};

TEST(Parse, MalformedOutputNamesLineExpectedAndGot) {
  const std::string two_sweeps = sweep("1", "2", "3", "4") + sweep("1", "2", "3", "4");
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
  };
  for (const auto& c : cases) {
    const auto parsed = parse_output(c.output);
    const auto* error = std::get_if<ParseError>(&parsed);
    ASSERT_NE(error, nullptr) << c.what;
    EXPECT_EQ(error->line, c.line) << c.what;
    EXPECT_NE(describe(*error).find(c.message), std::string::npos)
        << c.what << ": " << describe(*error);
  }
}

TEST(Parse, LongLinesAreCutShort) {
  const auto shown = quote(std::string(250, 'x'));
  EXPECT_EQ(shown, "\"" + std::string(100, 'x') + "\" and 150 more bytes");
}

TEST(Captures, Utf16IsDecodedAndStreamsSplitAfterEachSizeReport) {
  std::string utf16 = "\xff\xfe";
  for (const char c : kGood) utf16 += std::string{c, '\0'};
  EXPECT_EQ(decode_capture(kGood), kGood);
  EXPECT_EQ(decode_capture(utf16), kGood);
  EXPECT_THROW(decode_capture(utf16 + "x"), CaptureError);
  EXPECT_THROW(decode_capture("\xff\xfe\x41\x01"), CaptureError);  // U+0141 is not ASCII

  EXPECT_EQ(split_outputs(kGood + kGood + "tail"), (std::vector<std::string>{kGood, kGood, "tail"}));
  EXPECT_EQ(split_outputs(""), std::vector<std::string>{});
}

// The reasons a finished run is not counted, as check_run tells them.
TEST(CheckRun, Reasons) {
  using Outcome = ProcessResult::Outcome;
  const SizeReference other_sizes{{7, 15, 14, 16}, 2};
  struct Case {
    ProcessResult result;
    std::optional<SizeReference> sizes;
    std::string reason;  // empty: valid
  } cases[] = {
      {{Outcome::Exited, 0, kGood, "", 0}, std::nullopt, ""},
      {{Outcome::Exited, 0, kGood, "", 0}, SizeReference{{7, 15, 13, 16}, 1}, ""},
      {{Outcome::Exited, 0, kGood, "", 0}, other_sizes,
       R"(line 18: expected "Size TheOne:     \t14\r\n" as in run 2, got "Size TheOne:     \t13\r\n")"},
      {{Outcome::Exited, 2, kGood, "", 0}, std::nullopt, "exited with status 2"},
      {{Outcome::Signalled, 11, "", "", 0}, std::nullopt, "killed by signal 11 (Segmentation fault)"},
      {{Outcome::TimedOut, 0, "", "", 0}, std::nullopt, "still running after the timeout of 1.5 s; killed"},
      {{Outcome::OutputTooLarge, 0, "", "", 0}, std::nullopt, "output larger than 65536 bytes; killed"},
      {{Outcome::NotStarted, ENOENT, "", "", 0}, std::nullopt,
       "cannot start ./callbench: No such file or directory"},
  };
  for (const auto& c : cases) {
    ProcessLimits limits;
    limits.timeout_seconds = 1.5;
    const auto checked = check_run(c.result, "./callbench", limits, c.sizes);
    if (c.reason.empty()) {
      EXPECT_TRUE(std::holds_alternative<RunOutput>(checked)) << std::get<std::string>(checked);
    } else {
      ASSERT_TRUE(std::holds_alternative<std::string>(checked)) << c.reason;
      EXPECT_EQ(std::get<std::string>(checked), c.reason);
    }
  }
}

}  // namespace
}  // namespace callbench
