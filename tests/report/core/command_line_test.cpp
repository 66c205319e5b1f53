// Commands quoted for a Windows command line and for a POSIX shell.
#include <gtest/gtest.h>

#include "core/command_line.hpp"

namespace callbench {
namespace {

const struct {
  std::string argument, quoted;
} kQuoting[] = {
    {"plain", "plain"},
    {"", R"("")"},
    {"two words", R"("two words")"},
    {"tab\there", "\"tab\there\""},
    {R"(say "hi")", R"("say \"hi\"")"},
    {R"(back\slash)", R"(back\slash)"},  // alone, a backslash is literal
    {R"(C:\Program Files\x)", R"("C:\Program Files\x")"},
    {R"(ends\)", R"(ends\)"},
    {R"(ends in space\ )", R"("ends in space\ ")"},
    {R"(dir with space\)", R"("dir with space\\")"},  // doubled before the closing quote
    {R"(two\\ at end\\)", R"("two\\ at end\\\\")"},
    {R"(a\"b)", R"("a\\\"b")"},  // 2n+1 before a literal quote
    {R"(a\\"b)", R"("a\\\\\"b")"},
    {R"(")", R"("\"")"},
    {"caf\xc3\xa9", "caf\xc3\xa9"},
};

TEST(WindowsCommandLine, QuotesEachArgumentSoItReadsBackUnchanged) {
  for (const auto& c : kQuoting) EXPECT_EQ(quote_windows_argument(c.argument), c.quoted) << c.argument;
}

TEST(ShellCommandLine, QuotesWordsAShellWouldSplitOrExpand) {
  EXPECT_EQ(shell_command_line({"./callbench"}), "./callbench");
  EXPECT_EQ(shell_command_line({"wine", "C:\\x y\\callbench.exe"}), "wine 'C:\\x y\\callbench.exe'");
  EXPECT_EQ(shell_command_line({"sh", "-c", "it's $HOME"}), "sh -c 'it'\\''s $HOME'");
  EXPECT_EQ(shell_command_line({"", "*.txt"}), "'' '*.txt'");
}

}  // namespace
}  // namespace callbench
