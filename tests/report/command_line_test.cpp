// Arguments quoted for a Windows command line, and on Windows read back by a
// program that splits its command line the two usual ways.
#include <gtest/gtest.h>

#include "run/windows_command_line.hpp"

#ifdef _WIN32
#include "run/process.hpp"
#include "windows_paths.h"
#endif

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
    {R"(back\slash)", R"(back\slash)"},                  // alone, a backslash is literal
    {R"(C:\Program Files\x)", R"("C:\Program Files\x")"},
    {R"(ends\)", R"(ends\)"},
    {R"(ends in space\ )", R"("ends in space\ ")"},
    {R"(dir with space\)", R"("dir with space\\")"},     // doubled before the closing quote
    {R"(two\\ at end\\)", R"("two\\ at end\\\\")"},
    {R"(a\"b)", R"("a\\\"b")"},                           // 2n+1 before a literal quote
    {R"(a\\"b)", R"("a\\\\\"b")"},
    {R"(")", R"("\"")"},
    {"caf\xc3\xa9", "caf\xc3\xa9"},
};

TEST(WindowsCommandLine, QuotesEachArgumentSoItReadsBackUnchanged) {
  for (const auto& c : kQuoting) EXPECT_EQ(quote_windows_argument(c.argument), c.quoted) << c.argument;
}

#ifdef _WIN32
std::vector<std::string> split_at_nul(const std::string& text) {
  std::vector<std::string> items;
  for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
    items.push_back(text.substr(start, end - start));
  return items;
}

bool is_ascii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

TEST(WindowsCommandLine, ARunSeesTheArgumentsItWasGiven) {
  std::vector<std::string> command = {beside_tests("callbench-report-standin.exe"), "echo"};
  std::vector<std::string> given;
  for (const auto& c : kQuoting) given.push_back(c.argument);
  command.insert(command.end(), given.begin(), given.end());
  const auto result = run_process(command, ProcessLimits{});
  ASSERT_EQ(result.outcome, ProcessResult::Outcome::Exited) << result.start_error;
  EXPECT_EQ(split_at_nul(result.out), given) << "as CommandLineToArgvW splits it";
  // The C runtime's argv is in the ANSI code page, so only ASCII compares.
  const auto runtime = split_at_nul(result.err);
  ASSERT_EQ(runtime.size(), given.size()) << "as the C runtime splits it";
  for (std::size_t i = 0; i < given.size(); ++i)
    if (is_ascii(given[i])) EXPECT_EQ(runtime[i], given[i]) << "as the C runtime splits it";
}
#endif

}  // namespace
}  // namespace callbench
