// FillGap assembled alone from the driver's own measure.inc: every gap a
// loop head can need, not only the ones today's layout happens to use, must
// come out as exactly that many bytes of the no-op forms the decoder knows.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "program_image.h"
#include "programs.h"
#include "run_benchmark_code.h"

namespace callbench_test {
namespace {

struct Instruction {
  std::string bytes;  // as HexBytes writes them
  std::string text;   // objdump's reading
};

// Lines of "objdump -d -w": "   0:\t8d 74 26 00    \tlea    esi,[esi+eiz*1+0x0]".
std::vector<Instruction> Disassembly(const std::string& object) {
  std::vector<Instruction> result;
  std::istringstream listing(ToolOutput({"objdump", "-d", "-w", "-z", "-M", "intel", object}));
  for (std::string line; std::getline(listing, line);) {
    const size_t colon = line.find(":\t");
    if (line.empty() || line[0] != ' ' || colon == std::string::npos) continue;
    const size_t bytes_end = line.find('\t', colon + 2);
    std::istringstream hex(line.substr(colon + 2, bytes_end - colon - 2));
    std::vector<uint8_t> bytes;
    for (std::string byte; hex >> byte;) bytes.push_back(static_cast<uint8_t>(ParseHex(byte)));
    result.push_back({HexBytes(bytes), bytes_end == std::string::npos ? "" : line.substr(bytes_end + 1)});
  }
  return result;
}

class FillGapTest : public testing::TestWithParam<int> {};

TEST_P(FillGapTest, IsExactlyThatManyBytesOfNoOpForms) {
  const int gap = GetParam();
  TemporaryPath work("filler", TemporaryPath::kDirectory);
  const std::string source = work.str() + "/filler.S";
  const std::string object = work.str() + "/filler.o";
  std::ofstream(source) << "#include \"abi.h\"\n    .intel_syntax noprefix\n"
                        << "#include \"measure/measure.inc\"\n    .text\n    FillGap " << gap << "\n";
  callbench::ProcessResult run;
  ASSERT_EQ(RunCommand({CALLBENCH_HOST_GCC, "-m32", "-c", std::string("-I") + CALLBENCH_SOURCE_DIR + "/src",
                        "-Wa,--fatal-warnings", source, "-o", object},
                       run),
            "")
      << run.err.substr(0, 2000);

  int bytes = 0;
  for (const Instruction& instruction : Disassembly(object)) {
    const bool known =
        std::find(kFillerForms.begin(), kFillerForms.end(), instruction.bytes) != kFillerForms.end();
    EXPECT_TRUE(known) << instruction.bytes << " (" << instruction.text << ") is not a no-op form";
    bytes += static_cast<int>((instruction.bytes.size() + 1) / 3);
  }
  EXPECT_EQ(bytes, gap);
}

INSTANTIATE_TEST_SUITE_P(Sources, FillGapTest, testing::Range(0, 16));

}  // namespace
}  // namespace callbench_test
