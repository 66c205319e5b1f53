// The machine code of the finished programs: the procedures under test,
// the measurement loops and the order of everything RunBenchmark does.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "expected_output.h"
#include "program_image.h"
#include "programs.h"
#include "run_benchmark_code.h"

namespace callbench_test {
namespace {

// Read once per test process. Decoding throws, failing the test, if
// RunBenchmark differs from the design anywhere.
struct Decoded {
  explicit Decoded(Platform platform) : image(Program{platform, Variant::kShipped}.Path()) {}
  ProgramImage image;
  std::optional<RunBenchmarkCode> code;
};

Decoded& Read(Platform platform) {
  static std::map<Platform, Decoded> cache;
  return cache.try_emplace(platform, platform).first->second;
}

const RunBenchmarkCode& Decode(Platform platform) {
  Decoded& read = Read(platform);
  if (!read.code) read.code = DecodeRunBenchmark(read.image);
  return *read.code;
}

std::vector<int> Gaps(const RunBenchmarkCode& code, bool reference) {
  std::vector<int> gaps;
  for (const SweepCode& sweep : code.sweeps) {
    for (const MeasurementCode& m : sweep.measurements) {
      int bytes = 0;
      for (const int form : reference ? m.reference_filler : m.test_filler) bytes += form;
      gaps.push_back(bytes);
    }
  }
  return gaps;
}

std::string Joined(const std::vector<int>& numbers) {
  std::string text;
  for (const int n : numbers) text += (text.empty() ? "" : " ") + std::to_string(n);
  return text;
}

class MachineCodeTest : public testing::TestWithParam<Platform> {
 protected:
  void SetUp() override { ASSERT_NO_THROW(image_ = &Read(GetParam()).image); }
  const ProgramImage& image() const { return *image_; }
  // Tests that use it call ASSERT_NO_FATAL_FAILURE(DecodeCode()) first.
  void DecodeCode() { ASSERT_NO_THROW(code_ = &Decode(GetParam())); }
  const RunBenchmarkCode& code() const { return *code_; }

 private:
  const ProgramImage* image_ = nullptr;
  const RunBenchmarkCode* code_ = nullptr;
};

TEST_P(MachineCodeTest, ProceduresUnderTestAreTheseBytesBackToBack) {
  const std::pair<const char*, const char*> kSubjects[] = {
      {"TestNoFrameA", "59 58 5A 87 0C 24 C3"},
      {"TestNoFrameB", "8B 44 24 04 8B 54 24 08 8B 4C 24 0C C2 0C 00"},
      {"TheOne", "8B 44 24 04 8B 54 24 08 8B 4C 24 0C C3"},
      {"TestWithFrame", "55 8B EC 8B 4D 10 8B 55 0C 8B 45 08 C9 C2 0C 00"},
  };
  uint32_t at = image().Symbol("TestNoFrameA");
  for (const auto& [name, bytes] : kSubjects) {
    EXPECT_EQ(image().Symbol(name), at) << name;
    const size_t size = (std::string(bytes).size() + 1) / 3;
    EXPECT_EQ(HexBytes(image().Code(at, size)), bytes) << name;
    at += static_cast<uint32_t>(size);
  }
  EXPECT_EQ(image().Symbol("SubjectsEnd"), at);
}

TEST_P(MachineCodeTest, MeasurementVariablesAreTogetherInOrder) {
  const uint32_t tick_total = image().Symbol("TickTotal");
  EXPECT_EQ(tick_total % 8, 0u);
  EXPECT_EQ(image().Symbol("PassCount"), tick_total + 8);
  EXPECT_EQ(image().Symbol("PassesLeft"), tick_total + 12);
}

TEST_P(MachineCodeTest, EachSweepPausesThenMeasuresAndPrintsEveryProcedureInOrder) {
  ASSERT_NO_FATAL_FAILURE(DecodeCode());
  ASSERT_EQ(code().sweeps.size(), static_cast<size_t>(output::kSweeps));
  for (const SweepCode& sweep : code().sweeps) {
    EXPECT_EQ(sweep.pause_ms, 100);
    ASSERT_EQ(sweep.measurements.size(), output::kNames.size());
    for (size_t i = 0; i < output::kNames.size(); ++i) {
      const MeasurementCode& m = sweep.measurements[i];
      const std::map<std::string, int> expected_units = {{output::kNames[i], 1000}};
      EXPECT_EQ(m.work_units, expected_units) << output::kNames[i];
      EXPECT_EQ(m.label, output::figure_label(i));
      EXPECT_EQ(m.reference_head % 16, 0u) << output::kNames[i];
      EXPECT_EQ(m.test_head % 16, 0u) << output::kNames[i];
    }
  }
}

TEST_P(MachineCodeTest, LoopHeadsArePaddedWithTheUsualNoOpForms) {
  ASSERT_NO_FATAL_FAILURE(DecodeCode());
  // Gap -> the forms that fill it, by length: lea esp,[esp+0] (7),
  // lea ebx,[ebx+0] (6), lea ecx,[ecx+0] (3), nop (1).
  const std::map<int, std::vector<int>> kReferenceForms = {{6, {6}}, {7, {7}}, {14, {7, 7}}, {15, {7, 7, 1}}};
  const std::vector<int> kTestForms = {3};
  for (const SweepCode& sweep : code().sweeps) {
    for (const MeasurementCode& m : sweep.measurements) {
      int gap = 0;
      for (const int form : m.reference_filler) gap += form;
      const auto forms = kReferenceForms.find(gap);
      if (forms == kReferenceForms.end()) {
        ADD_FAILURE() << "reference loop gap of " << gap << " bytes";
      } else {
        EXPECT_EQ(m.reference_filler, forms->second) << "gap " << gap;
      }
      EXPECT_EQ(m.test_filler, kTestForms);
    }
  }
  const std::string found = "reference " + Joined(Gaps(code(), true)) + "; test " + Joined(Gaps(code(), false));
  RecordProperty("loop_head_gaps", found);
  std::cout << PlatformName(GetParam()) << " loop head gaps: " << found << "\n";
}

TEST_P(MachineCodeTest, SizeReportThenStackCheckThenExitRightBeforeTheProcedures) {
  ASSERT_NO_FATAL_FAILURE(DecodeCode());
  ASSERT_EQ(code().size_lines.size(), output::kNames.size());
  for (size_t i = 0; i < output::kNames.size(); ++i) {
    const SizeLineCode& line = code().size_lines[i];
    const std::string next = i + 1 < output::kNames.size() ? output::kNames[i + 1] : "SubjectsEnd";
    EXPECT_EQ(line.procedure, output::kNames[i]);
    EXPECT_EQ(line.heading, output::kSizeHeadings[i]);
    EXPECT_EQ(line.separator, "\t");
    EXPECT_EQ(line.line_end, "\r\n");
    EXPECT_EQ(line.size_from, image().Symbol(output::kNames[i]));
    EXPECT_EQ(line.size_to, image().Symbol(next));
  }
  EXPECT_EQ(code().stack_notice_caption, "Problem with stack");
  // Nothing between the call of ExitProcess and the first procedure.
  EXPECT_EQ(code().end, image().Symbol("TestNoFrameA"));
}

// A shared buffer would still print the right figures, each formatted just
// before it is printed; the design gives every site its own.
TEST_P(MachineCodeTest, EveryFormattedNumberHasABufferOfItsOwn) {
  ASSERT_NO_FATAL_FAILURE(DecodeCode());
  constexpr uint32_t kLongestFigure = 12;  // "-2147483648" and its NUL
  // The figures, the four sizes and the stack difference.
  const size_t sites = output::kSweeps * output::kNames.size() + output::kNames.size() + 1;
  ASSERT_EQ(code().figure_buffers.size(), sites);
  const std::set<uint32_t> buffers(code().figure_buffers.begin(), code().figure_buffers.end());
  EXPECT_EQ(buffers.size(), sites) << "distinct buffers";
  for (auto it = buffers.begin(); std::next(it) != buffers.end(); ++it) {
    EXPECT_GE(*std::next(it) - *it, kLongestFigure)
        << "buffers at " << HexText(*it) << " and " << HexText(*std::next(it)) << " overlap";
  }
}

// TextLength reads whole words, up to three bytes past the NUL. What the
// linker places after the driver's texts is not the driver's to count on,
// so it ends them with three NUL bytes of its own.
TEST_P(MachineCodeTest, LastTextIsFollowedByThreeBytesOfPadding) {
  ASSERT_NO_FATAL_FAILURE(DecodeCode());
  ASSERT_FALSE(code().texts.empty());
  const uint32_t last = *std::max_element(code().texts.begin(), code().texts.end());
  const uint32_t after = last + static_cast<uint32_t>(image().Text(last).size()) + 1;
  std::vector<uint8_t> padding;
  ASSERT_NO_THROW(padding = image().Data(after, 3));
  EXPECT_EQ(HexBytes(padding), "00 00 00") << "after the text at " << HexText(last);
}

INSTANTIATE_TEST_SUITE_P(Programs, MachineCodeTest, testing::ValuesIn(BothPlatforms()),
                         [](const auto& info) { return PlatformName(info.param); });

// Both programs are assembled from one source: the same layout of loops.
TEST(MachineCode, LoopHeadGapsAreTheSameInBothPrograms) {
  const RunBenchmarkCode* linux_code = nullptr;
  const RunBenchmarkCode* windows_code = nullptr;
  ASSERT_NO_THROW(linux_code = &Decode(Platform::kLinux));
  ASSERT_NO_THROW(windows_code = &Decode(Platform::kWindows));
  EXPECT_EQ(Gaps(*linux_code, true), Gaps(*windows_code, true));
  EXPECT_EQ(Gaps(*linux_code, false), Gaps(*windows_code, false));
}

}  // namespace
}  // namespace callbench_test
