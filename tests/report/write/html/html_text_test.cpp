#include <gtest/gtest.h>

#include "write/html/chart_scripts.hpp"
#include "write/html/html_text.hpp"

namespace callbench {
namespace {

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
