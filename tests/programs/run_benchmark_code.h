// RunBenchmark read back from a finished program, instruction by
// instruction. The decoder insists on every byte the design fixes and
// lets only absolute addresses and call displacements vary; what it finds
// is returned for the tests to judge. Any other byte throws, naming the
// address, objdump's reading of it and what was expected there.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "program_image.h"

namespace callbench_test {

struct MeasurementCode {
  // Lengths of the no-op instructions that fill up to each loop head.
  std::vector<int> reference_filler;
  std::vector<int> test_filler;
  uint32_t reference_head = 0;
  uint32_t test_head = 0;
  std::map<std::string, int> work_units;  // procedure called by the test loop -> count
  std::string label;                      // text printed after the figure
};

struct SweepCode {
  int pause_ms = 0;  // argument of the Sleep that starts the sweep
  std::vector<MeasurementCode> measurements;
};

struct SizeLineCode {
  std::string procedure;  // called once before its line
  std::string heading, separator, line_end;
  uint32_t size_from = 0, size_to = 0;  // the size printed is size_to - size_from
};

struct RunBenchmarkCode {
  std::string entry;  // bytes of the first instruction, e.g. "89 E6"
  std::vector<SweepCode> sweeps;
  std::vector<SizeLineCode> size_lines;
  std::string stack_notice_caption;
  // Every buffer FormatSigned writes and every text pushed, in code order.
  std::vector<uint32_t> figure_buffers;
  std::vector<uint32_t> texts;
  uint32_t end = 0;  // first byte after the last instruction, the call of ExitProcess
};

RunBenchmarkCode DecodeRunBenchmark(const ProgramImage& image);

// The no-op forms that may fill up to a loop head, longest first: lea of a
// register to itself plus zero, xchg ax, ax and nop.
extern const std::vector<std::string> kFillerForms;

// "89 E6" for {0x89, 0xE6}.
std::string HexBytes(const std::vector<uint8_t>& bytes);

}  // namespace callbench_test
