#include <gtest/gtest.h>

#include "write/html/chart_scripts.hpp"
#include "write/html/html_text.hpp"

namespace callbench {
namespace {

// Any bytes a command line or file may hold come out as UTF-8 a browser reads as written.
TEST(ValidUtf8, ReplacesEachBadByteAndKeepsTheRest) {
  const struct {
    std::string text;
    std::string valid;
  } cases[] = {
      {"plain ASCII", "plain ASCII"},
      {"≤ µs \u2028 \U0001F600", "≤ µs \u2028 \U0001F600"},
      {"bad \xff byte", "bad \uFFFD byte"},
      {"cut \xe2\x89", "cut \uFFFD\uFFFD"},  // a character cut short, as by a byte count
      {"2026-12-0\xc3", "2026-12-0\uFFFD"},
      {"\xc0\xaf overlong", "\uFFFD\uFFFD overlong"},  // "/" in two bytes
      {"\xed\xa0\x80 surrogate", "\uFFFD\uFFFD\uFFFD surrogate"},
      {"\xf4\x90\x80\x80 beyond", "\uFFFD\uFFFD\uFFFD\uFFFD beyond"},  // past U+10FFFF
  };
  for (const auto& c : cases) EXPECT_EQ(valid_utf8(c.text), c.valid) << c.text;
}

TEST(Shortened, CutsWholeCharacters) {
  const struct {
    std::string text;
    std::size_t most;
    std::string shown;
  } cases[] = {
      {"./callbench", 20, "./callbench"},
      {"./callbench", 11, "./callbench"},
      {"./callbench", 6, "./cal\u2026"},
      {"µµµµµµ", 4, "µµµ\u2026"},
      {"ab\xff"
       "cd",
       10, "ab\uFFFDcd"},
  };
  for (const auto& c : cases) EXPECT_EQ(shortened_characters(c.text, c.most), c.shown) << c.text;
}

TEST(EscapeHtml, LeavesNoMarkupAndKeepsText) {
  const struct {
    const char* text;
    const char* escaped;
  } cases[] = {
      {"TestNoFrameA 5600", "TestNoFrameA 5600"},
      {"<b>", "&lt;b&gt;"},
      {"&amp;", "&amp;amp;"},
      {"say \"x\" or 'y'", "say &quot;x&quot; or &#39;y&#39;"},
      {"≤ 0 µs", "≤ 0 µs"},
      {"a\xff<", "a\uFFFD&lt;"},
  };
  for (const auto& c : cases) EXPECT_EQ(escape_html(c.text), c.escaped) << c.text;
}

// Whatever a label holds, the JSON neither ends its <script> element nor leaves ASCII,
// and reads back as the same value (invalid UTF-8 as U+FFFD).
TEST(ScriptSafeJson, CannotLeaveItsScriptElement) {
  const struct {
    std::string text;
    std::string read_back;
  } cases[] = {
      {"</script><script>alert(1)</script>", "</script><script>alert(1)</script>"},
      {"</SCRIPT", "</SCRIPT"},
      {"<!-- <script>", "<!-- <script>"},
      {"a && b > c", "a && b > c"},
      {"line\u2028separator\u2029", "line\u2028separator\u2029"},
      {"bad \xff byte", "bad \xef\xbf\xbd byte"},
  };
  for (const auto& c : cases) {
    const std::string json = script_safe_json({{"name", c.text}});
    EXPECT_EQ(json.find_first_of("<>&"), std::string::npos) << json;
    for (unsigned char byte : json) EXPECT_LT(byte, 0x80) << json;
    EXPECT_EQ(nlohmann::json::parse(json).at("name"), c.read_back) << json;
  }
}

// The built-in runtime: whole scripts with nothing that would make a browser ask for a file.
TEST(ChartScripts, AreWholeAndAskForNoSourceMap) {
  for (const ChartScript& script : chart_scripts()) {
    EXPECT_GT(script.code.size(), 10000u) << script.name;
    EXPECT_EQ(script.code.find("sourceMappingURL"), std::string_view::npos) << script.name;
    EXPECT_EQ(script.code.find("</script"), std::string_view::npos) << script.name;
  }
}

}  // namespace
}  // namespace callbench
