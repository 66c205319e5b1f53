// The assembler refuses sources that would measure something else: copies
// of the sources with one deliberate fault must fail to assemble, with the
// driver's own message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "programs.h"

namespace callbench_test {
namespace {

struct Breakage {
  const char* name;
  const char* file;  // under src/
  const char* find;  // must occur exactly once
  const char* replace;
  const char* error;  // "" for the untouched control case
};

const Breakage kBreakages[] = {
    {"untouched_sources_assemble", "measure/measure.inc", "", "", ""},
    {"test_loop_one_unit_short", "measure/measure.inc", ".rept CallsPerPass\n", ".rept CallsPerPass - 1\n",
     "test loop must hold exactly 1000 work units"},
    {"nop_after_loop_filler", "measure/measure.inc", "    FillGap .Lgap\\@\n",
     "    FillGap .Lgap\\@\n    nop\n", "loop head is not 16-byte aligned"},
    {"TestNoFrameB_releases_with_add", "subjects/subjects.inc", "    mov ecx, [esp + 3*4]\n    ret 3*4\n",
     "    mov ecx, [esp + 3*4]\n    add esp, 3*4\n    ret\n", "TestNoFrameB must be 15 bytes"},
    {"work_unit_pushes_a_wide_immediate", "subjects/call_site.inc", "    push 3\n", "    push 300\n",
     "a work unit has an unexpected encoding"},
};

void PrintTo(const Breakage& value, std::ostream* out) {
  *out << value.name;
}

class BrokenBuildTest : public testing::TestWithParam<Breakage> {};

TEST_P(BrokenBuildTest, AssemblerStopsWithTheMessage) {
  const Breakage& breakage = GetParam();
  TemporaryPath work("sources", TemporaryPath::kDirectory);
  const std::filesystem::path src = std::filesystem::path(work.str()) / "src";
  std::filesystem::copy(std::filesystem::path(CALLBENCH_SOURCE_DIR) / "src", src,
                        std::filesystem::copy_options::recursive);

  const std::filesystem::path file = src / breakage.file;
  std::string text = file_text(file.string());
  const std::string find = breakage.find;
  if (!find.empty()) {
    const size_t at = text.find(find);
    ASSERT_NE(at, std::string::npos) << breakage.file << " no longer holds: " << find;
    ASSERT_EQ(text.find(find, at + 1), std::string::npos) << "ambiguous: " << find;
    text.replace(at, find.size(), breakage.replace);
    std::ofstream(file) << text;
  }

  const std::vector<std::string> gcc = {CALLBENCH_HOST_GCC,
                                        "-m32",
                                        "-c",
                                        "-I" + src.string(),
                                        "-Wa,--fatal-warnings",
                                        (src / "driver/run_benchmark.S").string(),
                                        "-o",
                                        (std::filesystem::path(work.str()) / "run_benchmark.o").string()};
  callbench::ProcessResult run;
  const std::string failure = RunCommand(gcc, run);
  if (*breakage.error == '\0') {
    EXPECT_EQ(failure, "") << run.err;
  } else {
    EXPECT_NE(failure, "");
    EXPECT_NE(run.err.find(std::string("Error: ") + breakage.error), std::string::npos)
        << run.err.substr(0, 2000);
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, BrokenBuildTest, testing::ValuesIn(kBreakages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace callbench_test
