#include <gtest/gtest.h>

#include <limits>

#include "core/text.hpp"

namespace callbench {
namespace {

TEST(Text, EscapedQuotedAndCutShort) {
  EXPECT_EQ(escape("a\tb\r\n\x1b[2J\"\\\xff"), "a\\tb\\r\\n\\x1b[2J\\\"\\\\\\xff");
  EXPECT_EQ(quote(std::string(250, 'x')), "\"" + std::string(100, 'x') + "\" and 150 more bytes");
}

TEST(Text, Utf8IsValidatedStrictly) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"plain", true},          {"caf\xc3\xa9", true},     {"\xe2\x80\xa8", true},
      {"\xc3", false},          {"\xc0\xaf", false},       // cut short; overlong
      {"\xed\xa0\x80", false},  {"\xf4\x90\x80\x80", false},  // surrogate; past U+10FFFF
  };
  for (const auto& c : cases) EXPECT_EQ(is_valid_utf8(c.text), c.valid) << escape(c.text);
}

TEST(Text, PercentagesKeepTheirDigitsToTheirSize) {
  EXPECT_EQ(percent_text(0.0052), "0.52%");
  EXPECT_EQ(percent_text(0.05), "5.0%");
  EXPECT_EQ(percent_text(0.123), "12%");
  EXPECT_EQ(percent_text(-0.04), "-4.0%");
  EXPECT_EQ(percent_text(std::numeric_limits<double>::quiet_NaN()), "n/a");
}

}  // namespace
}  // namespace callbench
