// Saved outputs: decoded exactly, split after each size report, and read as
// runs with their failures told.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "benchmark_output.h"
#include "core/error.hpp"
#include "read/saved_captures.hpp"

namespace callbench {
namespace {

const std::string& kGoodOutput = benchmark_output::kSample;
using benchmark_output::replace_first;

std::string as_utf16(const std::string& text) {
  std::string utf16 = "\xff\xfe";
  for (const char c : text) utf16 += std::string{c, '\0'};
  return utf16;
}

TEST(Captures, Utf16IsDecodedWhenPlainAsciiAndRefusedElse) {
  const std::string utf16 = as_utf16(kGoodOutput);
  EXPECT_EQ(decode_capture(kGoodOutput), kGoodOutput);
  EXPECT_EQ(decode_capture(utf16), kGoodOutput);
  EXPECT_EQ(decode_capture(std::string("\xff\xfe\x7f\x00", 4)), "\x7f");  // the last ASCII character
  EXPECT_THROW(decode_capture(utf16 + "x"), Error);
  EXPECT_THROW(decode_capture(std::string("\xff\xfe\x80\x00", 4)), Error);  // U+0080, the first beyond ASCII
  EXPECT_THROW(decode_capture("\xff\xfe\x41\x01"), Error);                  // U+0141

  EXPECT_EQ(split_outputs(kGoodOutput + kGoodOutput + "tail"),
            (std::vector<std::string>{kGoodOutput, kGoodOutput, "tail"}));
  EXPECT_EQ(split_outputs(""), std::vector<std::string>{});
}

TEST(Captures, AreReadAsRunsNumberedInOrderWithTheirFailures) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("callbench-captures-" + std::to_string(std::hash<std::string>()(__FILE__ __TIME__)));
  std::filesystem::create_directories(dir);
  const auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream((dir / name).string(), std::ios::binary) << bytes;
    return (dir / name).string();
  };
  const auto good = write("good.txt", kGoodOutput);
  const auto wide = write("wide.txt", as_utf16(kGoodOutput));
  const auto crlf = write("crlf.txt", replace_first(kGoodOutput, "\r\n\n", "\r\n\r\n"));
  const Series series = read_captures({good, crlf, wide});
  ASSERT_EQ(series.runs.size(), 2u);
  EXPECT_EQ(series.runs[1].number, 3);
  EXPECT_EQ(series.runs_requested, 3);
  ASSERT_EQ(series.failures.size(), 1u);
  EXPECT_EQ(series.failures[0].number, 2);
  EXPECT_EQ(series.failures[0].reason, crlf + R"(: line 5: expected an empty line "\n", got "\r\n")");
  EXPECT_THROW(read_captures({good, (dir / "none.txt").string()}), Error);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace callbench
