// Properties of the linked programs read from their headers: entry point,
// imports, and no memory both writable and executable.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "program_image.h"
#include "programs.h"
#include "run_benchmark_code.h"

namespace callbench_test {
namespace {

// The value after "name" on a line of the tool's output, e.g. "ImageBase\t\t00400000".
std::string Field(const std::string& dump, const std::string& name) {
  const std::regex field("(^|\n)[ \t]*" + name + ":?[ \t]+([^\n]*)");
  std::smatch found;
  return std::regex_search(dump, found, field) ? found[2].str() : "";
}

std::string Windows() {
  return Program{Platform::kWindows, Variant::kShipped}.Path();
}
std::string Linux() {
  return Program{Platform::kLinux, Variant::kShipped}.Path();
}

class EntryPointTest : public testing::TestWithParam<Platform> {};

TEST_P(EntryPointTest, IsRunBenchmarkWhichFirstCopiesEspToEsi) {
  const ProgramImage image(Program{GetParam(), Variant::kShipped}.Path());
  uint32_t entry;
  if (image.is_pe()) {
    const std::string headers = ToolOutput({"objdump", "-p", image.path()});
    entry = ParseHex(Field(headers, "AddressOfEntryPoint")) + ParseHex(Field(headers, "ImageBase"));
  } else {
    entry = ParseHex(Field(ToolOutput({"readelf", "-h", image.path()}), "Entry point address"));
  }
  EXPECT_EQ(entry, image.Symbol("RunBenchmark"));
  const std::string first = HexBytes(image.Code(entry, 2));
  EXPECT_TRUE(first == "89 E6" || first == "8B F4") << first;
}

INSTANTIATE_TEST_SUITE_P(Programs, EntryPointTest, testing::ValuesIn(BothPlatforms()),
                         [](const auto& info) { return PlatformName(info.param); });

// "DLL Name: KERNEL32.dll" then lines of "vma  hint  name" until a blank line.
TEST(WindowsProgram, ImportsExactlyTheSevenFunctionsItCalls) {
  std::istringstream lines(ToolOutput({"objdump", "-p", Windows()}));
  std::vector<std::string> imports;
  std::string dll;
  for (std::string line; std::getline(lines, line);) {
    const size_t name = line.find("DLL Name: ");
    if (name != std::string::npos) {
      dll = line.substr(name + 10);
      std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
      continue;
    }
    std::istringstream fields(line);
    std::string vma, hint, function;
    if (dll.empty() || !(fields >> vma >> hint >> function) || vma == "vma:") {
      if (line.find_first_not_of(" \t") == std::string::npos) dll.clear();
      continue;
    }
    imports.push_back(dll + "!" + function);
  }
  std::sort(imports.begin(), imports.end());
  const std::vector<std::string> expected = {"kernel32.dll!ExitProcess",  "kernel32.dll!GetCurrentProcess",
                                             "kernel32.dll!GetStdHandle", "kernel32.dll!SetPriorityClass",
                                             "kernel32.dll!Sleep",        "kernel32.dll!WriteFile",
                                             "user32.dll!MessageBoxA"};
  EXPECT_EQ(imports, expected);
}

TEST(WindowsProgram, IsMarkedNxCompatible) {
  const std::string headers = ToolOutput({"objdump", "-p", Windows()});
  constexpr uint32_t kNxCompat = 0x0100;
  EXPECT_NE(ParseHex(Field(headers, "DllCharacteristics")) & kNxCompat, 0u) << headers;
}

// readelf -lW: "  LOAD 0x001000 0x08049000 0x08049000 0x236a5 0x236a5 R E 0x1000".
TEST(LinuxProgram, HasNoWritableCodeAndANonExecutableStack) {
  std::istringstream lines(ToolOutput({"readelf", "-lW", Linux()}));
  int stack_notes = 0;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    if (words.size() < 8 || words[1].rfind("0x", 0) != 0) continue;
    std::string flags;  // the words between the sizes and the alignment
    for (size_t i = 6; i + 1 < words.size(); ++i) flags += words[i];
    const bool writable = flags.find('W') != std::string::npos;
    const bool executable = flags.find('E') != std::string::npos;
    EXPECT_FALSE(writable && executable) << line;
    if (words[0] == "GNU_STACK") {
      ++stack_notes;
      EXPECT_FALSE(executable) << line;
    }
  }
  EXPECT_EQ(stack_notes, 1);
}

}  // namespace
}  // namespace callbench_test
