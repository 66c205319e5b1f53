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
      {"plain", true},         {"caf\xc3\xa9", true},       {"\xe2\x80\xa8", true},
      {"\xc3", false},         {"\xc0\xaf", false},          // cut short; overlong
      {"\xed\xa0\x80", false}, {"\xf4\x90\x80\x80", false},  // surrogate; past U+10FFFF
  };
  for (const auto& c : cases) EXPECT_EQ(is_valid_utf8(c.text), c.valid) << escape(c.text);
}

TEST(Text, PrintableKeepsUtf8AndEscapesWhatWouldWorkTheTerminal) {
  const struct {
    std::string text, shown;
  } cases[] = {
      {"plain text", "plain text"},
      {"Z\xc3\xbcrich \xe2\x9c\x93 \xf0\x9f\x98\x80", "Z\xc3\xbcrich \xe2\x9c\x93 \xf0\x9f\x98\x80"},
      {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
      {"a\r\nwarning: forged", "a\\r\\nwarning: forged"},
      {"\x7f\xc2\x85\xc2\x9b", "\\x7f\\u0085\\u009b"},  // DEL, then C1 controls (NEL, CSI)
      {"\xe2\x80\xae\xe2\x80\xa8", "\\u202e\\u2028"},   // right-to-left override, line separator
      {"bad\xff\xc3", "bad\\xff\\xc3"},                 // not UTF-8, cut short
      {"back\\slash \"quoted\"", "back\\slash \"quoted\""},
  };
  for (const auto& c : cases) EXPECT_EQ(printable(c.text), c.shown) << escape(c.text);
  EXPECT_EQ(display_width("Z\xc3\xbcrich \xe2\x9c\x93"), 8u);
  EXPECT_EQ(shortened("abcdef", 6), "abcdef");
  EXPECT_EQ(shortened("abcdefg", 6), "ab ...");
  EXPECT_EQ(shortened("a\xc3\xbcxyzw", 6), "a ...");  // never half a character
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
